#include "state_dump.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "scene_fixtures.h"

namespace vessmark {
namespace {

std::vector<std::string> Split(const std::string& line)
{
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, ',');) {
        fields.push_back(field);
    }
    if (!line.empty() && line.back() == ',') {
        fields.emplace_back();
    }
    return fields;
}

TEST(StateDump, OneLinePerObjectLeadersFirstWithExactValues)
{
    auto scene = testing::MakeScene();
    scene->Settings.LeaderCount = 2;
    scene->Settings.FollowerCount = 3;
    SeedScene(*scene, 11);
    ASSERT_TRUE(PopulateScene(*scene));
    scene->FrameSeconds = 0.037f;
    for (int i = 0; i < 25; ++i) {
        UpdateScene(*scene);
    }
    scene->Followers()[2].Target = 1;

    std::ostringstream out;
    WriteStateCsv(out, *scene);
    std::istringstream in(out.str());
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "index,kind,x,y,z,vx,vy,vz,hue,target");

    const auto check = [&](const std::string& line, int index, const char* kind, const SceneObject& object) {
        const auto f = Split(line);
        ASSERT_EQ(f.size(), 10u) << line;
        EXPECT_EQ(f[0], std::to_string(index));
        EXPECT_EQ(f[1], kind);
        // Nine significant digits give every float back exactly.
        EXPECT_EQ(std::strtof(f[2].c_str(), nullptr), object.Position.X);
        EXPECT_EQ(std::strtof(f[3].c_str(), nullptr), object.Position.Y);
        EXPECT_EQ(std::strtof(f[4].c_str(), nullptr), object.Position.Z);
        EXPECT_EQ(std::strtof(f[5].c_str(), nullptr), object.Velocity.X);
        EXPECT_EQ(std::strtof(f[6].c_str(), nullptr), object.Velocity.Y);
        EXPECT_EQ(std::strtof(f[7].c_str(), nullptr), object.Velocity.Z);
        EXPECT_EQ(std::strtof(f[8].c_str(), nullptr), object.Hue);
        EXPECT_EQ(f[9], object.Kind == Follower ? std::to_string(object.Target) : "");
    };
    check(lines[1], 0, "leader", scene->Leaders()[0]);
    check(lines[2], 1, "leader", scene->Leaders()[1]);
    check(lines[3], 0, "follower", scene->Followers()[0]);
    check(lines[5], 2, "follower", scene->Followers()[2]);
    EXPECT_EQ(Split(lines[5])[9], "1");
}

} // namespace
} // namespace vessmark
