// Fuzzes the command line Windows hands to Vessmark.scr: whatever it holds,
// the argument text is a tail of it, the switch letter never depends on the
// first character, the preview handle agrees with the C library's reading of
// the same digits, and the start-up's choice keeps its order and its lock rule
// whatever the platform answers.
//
// Input: one byte of platform answers, then the command line.

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "command_line.h"
#include "fuzz_input.h"
#include "start_up.h"

namespace {

using vessmark::fuzz::Check;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The handle as the C library reads the same characters: the text from its
// fourth character without blanks, its longest prefix made of number
// characters, strtod, rounded half to even.
std::optional<std::int32_t> ReferenceHandle(const std::string& argumentText)
{
    if (argumentText.size() <= 3) {
        return 0;
    }
    std::string packed;
    for (std::size_t i = 3; i < argumentText.size(); ++i) {
        const char c = argumentText[i];
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') {
            packed += c;
        }
    }
    std::size_t length = 0;
    while (length < packed.size() && packed[length] != '\0' && std::strchr("0123456789+-.eE", packed[length])) {
        ++length;
    }
    const std::string digits = packed.substr(0, length);
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(digits.c_str(), &end);
    if (end == digits.c_str()) {
        return 0;
    }
    if (errno == ERANGE && std::isinf(value)) {
        return std::nullopt;
    }
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<std::int32_t>::min() || rounded > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(rounded);
}

// A platform whose every answer comes from the fuzz input; it logs the calls.
class ScriptedPlatform final : public vessmark::StartUpPlatform {
public:
    explicit ScriptedPlatform(std::uint8_t answers) : answers_(answers) {}
    std::vector<std::string> Calls;
    std::string Message;

    bool InstanceWindowExists() override { return Answer("windows", 0); }
    bool InstanceLockHeld() override { return Answer("held", 1); }
    bool TakeInstanceLock() override { return Answer("take", 2); }
    void LoadSettings() override { Calls.emplace_back("settings"); }
    bool RendererExists() override { return Answer("renderer", 3); }
    void ShowMessage(const std::string& text) override
    {
        Calls.emplace_back("message");
        Message = text;
    }

private:
    bool Answer(const char* call, int bit)
    {
        Calls.emplace_back(call);
        return (answers_ >> bit) & 1;
    }
    std::uint8_t answers_;
};

std::size_t Count(const std::vector<std::string>& calls, const char* call)
{
    std::size_t n = 0;
    for (const std::string& c : calls) {
        n += c == call ? 1 : 0;
    }
    return n;
}

std::size_t IndexOf(const std::vector<std::string>& calls, const char* call)
{
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (calls[i] == call) {
            return i;
        }
    }
    return calls.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const std::uint8_t answers = data[0];
    const std::string commandLine(reinterpret_cast<const char*>(data + 1), size - 1);

    // The argument text: a tail of the command line, after a blank, never
    // starting with one, never starting inside a quoted program name.
    const std::string argumentText = vessmark::ArgumentText(commandLine);
    Check(argumentText.size() <= commandLine.size());
    const std::size_t start = commandLine.size() - argumentText.size();
    Check(commandLine.compare(start, std::string::npos, argumentText) == 0);
    if (!argumentText.empty()) {
        Check(!IsBlank(argumentText.front()));
        Check(start > 0 && IsBlank(commandLine[start - 1]));
        if (commandLine.front() == '"') {
            const std::size_t close = commandLine.find('"', 1);
            Check(close != std::string::npos && start > close);
        }
    }

    // The switch letter: the second character in upper case; the first is
    // never looked at.
    const char letter = vessmark::SwitchLetter(argumentText);
    if (argumentText.size() < 2) {
        Check(letter == '\0');
    } else {
        Check(std::toupper(static_cast<unsigned char>(letter)) == static_cast<unsigned char>(letter));
        Check(std::toupper(static_cast<unsigned char>(argumentText[1])) == static_cast<unsigned char>(letter));
        std::string otherFirst = argumentText;
        otherFirst[0] = otherFirst[0] == '/' ? '-' : '/';
        Check(vessmark::SwitchLetter(otherFirst) == letter);
    }

    Check(vessmark::PreviewParentHandle(argumentText) == ReferenceHandle(argumentText));

    // The start-up's choice over every platform answer.
    ScriptedPlatform platform(answers);
    const vessmark::StartJob job = vessmark::ChooseStartJob(platform, argumentText);
    const auto& calls = platform.Calls;
    const bool otherRun = (answers & 0x1) != 0 || ((answers & 0x2) != 0);
    const bool rendererMissing = Count(calls, "renderer") == 1 && (answers & 0x8) == 0;
    Check(Count(calls, "settings") <= 1 && Count(calls, "take") <= 1 && Count(calls, "message") <= 1);
    if (otherRun) {
        // Another run's marker or lock ends this one before anything else.
        Check(job == vessmark::StartJob::End);
        Check(Count(calls, "settings") == 0 && Count(calls, "take") == 0 && Count(calls, "message") == 0);
        return 0;
    }
    if (letter == 'P') {
        // The preview reads no settings, looks for no renderer, takes no lock.
        Check(job == vessmark::StartJob::Preview);
        Check(Count(calls, "settings") == 0 && Count(calls, "renderer") == 0 && Count(calls, "take") == 0);
        return 0;
    }
    Check(job != vessmark::StartJob::Preview);
    Check(Count(calls, "settings") == 1 && IndexOf(calls, "settings") < IndexOf(calls, "renderer"));
    if (rendererMissing) {
        Check(job == vessmark::StartJob::End && Count(calls, "take") == 0);
        Check(platform.Message == vessmark::RendererMissingText);
        return 0;
    }
    Check(Count(calls, "message") == 0);
    const bool lockTaken = Count(calls, "take") == 1 && (answers & 0x4) != 0;
    if (job == vessmark::StartJob::Settings) {
        Check(letter == 'C' && lockTaken);
    } else if (job == vessmark::StartJob::Show) {
        Check((letter == 'S' || argumentText.empty()) && lockTaken);
    } else {
        // Ended: another switch, or the lock went to another run.
        Check(!lockTaken);
        Check((letter != 'C' && letter != 'S' && !argumentText.empty()) || Count(calls, "take") == 1);
    }
    return 0;
}
