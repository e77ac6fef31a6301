#include "ansi_path.h"
#include "start_up.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "fakes.h"

namespace vessmark {
namespace {

using vessmark::testing::FakePaths;

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Records every call in order; the instance lock is shared between the runs
// that use one World, as the system's named mutex is.
struct World {
    bool LockTaken = false;
    bool MarkerWindow = false;
};

class FakeStartUp final : public StartUpPlatform {
public:
    explicit FakeStartUp(World& world) : world_(world) {}
    std::vector<std::string> Calls;
    bool Renderer = true;
    bool HoldsLock = false;

    bool InstanceWindowExists() override { return Log("windows", world_.MarkerWindow); }
    bool InstanceLockHeld() override { return Log("lock?", world_.LockTaken); }
    bool TakeInstanceLock() override
    {
        const bool got = !world_.LockTaken;
        world_.LockTaken = true;
        HoldsLock = got;
        return Log("take", got);
    }
    std::function<void()> DuringLoadSettings = [] {};
    void LoadSettings() override
    {
        Calls.emplace_back("settings");
        DuringLoadSettings();
    }
    bool RendererExists() override { return Log("renderer", Renderer); }
    void ShowMessage(const std::string& text) override { Calls.push_back("message " + text); }

private:
    bool Log(const char* what, bool answer)
    {
        Calls.push_back(std::string(what) + (answer ? "+" : "-"));
        return answer;
    }
    World& world_;
};

TEST(ChooseStartJob, EachSwitchGoesItsWayInOrder)
{
    struct Case {
        const char* arguments;
        StartJob job;
        std::vector<std::string> calls;
    };
    const std::vector<std::string> show = {"windows-", "lock?-", "settings", "renderer+", "take+"};
    const Case cases[] = {
        {"/s", StartJob::Show, show},
        {"", StartJob::Show, show},
        {"-S", StartJob::Show, show},
        {"/c", StartJob::Settings, show},
        {"/C:1234", StartJob::Settings, show},
        {"/p 1234", StartJob::Preview, {"windows-", "lock?-"}}, // no settings, no renderer, no lock
        {"/a", StartJob::End, {"windows-", "lock?-", "settings", "renderer+"}},
        {"s", StartJob::End, {"windows-", "lock?-", "settings", "renderer+"}},
    };
    for (const Case& c : cases) {
        World world;
        FakeStartUp platform(world);
        EXPECT_EQ(ChooseStartJob(platform, c.arguments), c.job) << c.arguments;
        EXPECT_EQ(platform.Calls, c.calls) << c.arguments;
    }
}

TEST(ChooseStartJob, MissingRendererIsReportedBeforeAnyLockAndEndsEveryJobButThePreview)
{
    for (const char* arguments : {"/s", "/c", "/a", ""}) {
        World world;
        FakeStartUp platform(world);
        platform.Renderer = false;
        EXPECT_EQ(ChooseStartJob(platform, arguments), StartJob::End);
        EXPECT_THAT(platform.Calls, ElementsAre("windows-", "lock?-", "settings", "renderer-",
                                                std::string("message ") + RendererMissingText));
        EXPECT_FALSE(world.LockTaken);
    }
    World world;
    FakeStartUp preview(world);
    preview.Renderer = false;
    EXPECT_EQ(ChooseStartJob(preview, "/p 99"), StartJob::Preview);
}

TEST(ChooseStartJob, AnotherRunEndsThisOneWhateverItAsks)
{
    for (const char* arguments : {"/s", "/c", "/p 1234", ""}) {
        World marker{false, true};
        FakeStartUp byWindow(marker);
        EXPECT_EQ(ChooseStartJob(byWindow, arguments), StartJob::End) << arguments;
        EXPECT_THAT(byWindow.Calls, ElementsAre("windows+"));

        World locked{true, false};
        FakeStartUp byLock(locked);
        EXPECT_EQ(ChooseStartJob(byLock, arguments), StartJob::End) << arguments;
        EXPECT_THAT(byLock.Calls, ElementsAre("windows-", "lock?+"));
    }
}

TEST(ChooseStartJob, OfTwoRunsStartedTogetherOnlyTheFirstToTakeTheLockGoesOn)
{
    // The second run passes the instance checks, and the first one runs all
    // the way to its lock while the second is still reading its settings.
    World world;
    FakeStartUp first(world);
    FakeStartUp second(world);
    second.DuringLoadSettings = [&] { EXPECT_EQ(ChooseStartJob(first, "/s"), StartJob::Show); };
    EXPECT_EQ(ChooseStartJob(second, "/c"), StartJob::End);
    EXPECT_THAT(second.Calls, ElementsAre("windows-", "lock?-", "settings", "renderer+", "take-"));
    EXPECT_TRUE(first.HoldsLock);

    // An open preview takes nothing, so a show can still start beside it.
    World shared;
    FakeStartUp preview(shared);
    FakeStartUp later(shared);
    EXPECT_EQ(ChooseStartJob(preview, "/p 1234"), StartJob::Preview);
    EXPECT_EQ(ChooseStartJob(later, "/s"), StartJob::Show);
}

TEST(AnsiPathFor, LongFormWhenHeldElseShortFormElseNothing)
{
    FakePaths paths;
    const std::wstring japanese = L"C:\\\u30bd\u30d5\u30c8\\Vessmark";
    const std::wstring cyrillic = L"C:\\Users\\\u0418\u0432\u0430\u043d\\Vessmark";
    const std::wstring noShortNames = L"D:\\\u97f3\u697d";
    const std::wstring oddShortForm = L"E:\\\u03a9";
    paths.ShortNames[japanese] = L"C:\\B2A3~1\\Vessmark";
    paths.ShortNames[cyrillic] = L"C:\\Users\\8F2C~1\\Vessmark";
    paths.ShortNames[oddShortForm] = L"E:\\\u03a9~1";

    EXPECT_EQ(AnsiPathFor(L"C:\\Program Files\\Vessmark", paths), "C:\\Program Files\\Vessmark");
    EXPECT_EQ(AnsiPathFor(L"C:\\Caf\u00e9", paths), "C:\\Caf\xe9"); // held by the code page
    EXPECT_THAT(paths.Asked, IsEmpty()); // the long form was enough: no short name asked for
    EXPECT_EQ(AnsiPathFor(japanese, paths), "C:\\B2A3~1\\Vessmark");
    EXPECT_EQ(AnsiPathFor(cyrillic, paths), "C:\\Users\\8F2C~1\\Vessmark");
    EXPECT_EQ(AnsiPathFor(noShortNames, paths), std::nullopt);
    EXPECT_EQ(AnsiPathFor(oddShortForm, paths), std::nullopt); // a short form the code page cannot hold either
}

} // namespace
} // namespace vessmark
