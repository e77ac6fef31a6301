#include "xscreensaver_list.h"

#include <cctype>
#include <vector>

namespace vessmark {

namespace {

// The entry's line as XScreenSaver's own settings write one, with the "\n"
// that ends the entry (the caller adds the "\" that continues the list).
std::string EntryText(const std::string& program)
{
    return "  " + ShowEntry(program) + "\t\t\t    \\n";
}

constexpr const char* NewFileHeader =
    "# XScreenSaver's list of display modes: its default list, with Vessmark\n"
    "# added by vessmark-show --add-to-xscreensaver. Every other setting keeps its\n"
    "# default; xscreensaver-settings writes them all here when it saves.\n"
    "\n";

// How much of a line a message quotes.
constexpr std::size_t QuotedLength = 60;

// One setting of the file ("name: value"), over all its lines.
struct Setting {
    std::string Name;
    int Line = 0;                // of its first line, from 1
    std::size_t ValueStart = 0;  // the first byte after the colon and the blanks that follow it
    std::size_t FirstLineEnd = 0; // its first line's newline, or the end of the file
    std::size_t End = 0;         // one past its last line's newline, or the end of the file
};

struct ParsedFile {
    std::vector<Setting> Settings;
    std::string Error; // empty when every line was understood
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::size_t SkipBlanks(const std::string& text, std::size_t at, std::size_t end)
{
    while (at < end && IsBlank(text[at])) {
        ++at;
    }
    return at;
}

// A backslash ends the line and the next one carries on, unless it is
// itself escaped.
bool Continues(const std::string& text, std::size_t lineStart, std::size_t lineEnd)
{
    std::size_t backslashes = 0;
    while (lineEnd > lineStart + backslashes && text[lineEnd - 1 - backslashes] == '\\') {
        ++backslashes;
    }
    return backslashes % 2 == 1;
}

std::string Quoted(const std::string& text, std::size_t start, std::size_t end)
{
    std::string line = text.substr(start, end - start);
    if (line.size() > QuotedLength) {
        line = line.substr(0, QuotedLength) + "...";
    }
    return "'" + line + "'";
}

// The file read the way XScreenSaver reads it: lines that end in a backslash
// carry on in the next one; "#", "!" and ";" begin comments; every other
// line that is not blank is "name: value". XScreenSaver skips a line without
// a colon; here it means the file is not what we think it is.
ParsedFile ParseSettings(const std::string& text)
{
    ParsedFile parsed;
    if (const auto nul = text.find('\0'); nul != std::string::npos) {
        parsed.Error = "it holds a NUL byte (at byte " + std::to_string(nul) + "): it is not a text file";
        return parsed;
    }
    std::size_t at = 0;
    int line = 1;
    while (at < text.size()) {
        Setting setting;
        setting.Line = line;
        const std::size_t start = at;
        std::size_t lineEnd = text.find('\n', at);
        setting.FirstLineEnd = lineEnd == std::string::npos ? text.size() : lineEnd;
        // Find where this setting's last line ends.
        while (true) {
            const std::size_t end = lineEnd == std::string::npos ? text.size() : lineEnd;
            const bool more = Continues(text, at, end) && lineEnd != std::string::npos;
            at = lineEnd == std::string::npos ? text.size() : lineEnd + 1;
            ++line;
            if (!more || at >= text.size()) {
                break;
            }
            lineEnd = text.find('\n', at);
        }
        setting.End = at;
        const std::size_t first = SkipBlanks(text, start, setting.FirstLineEnd);
        if (first == setting.FirstLineEnd || text[first] == '#' || text[first] == '!' || text[first] == ';') {
            continue;
        }
        const std::size_t colon = text.find(':', first);
        std::size_t nameEnd = colon;
        while (colon != std::string::npos && nameEnd > first && IsBlank(text[nameEnd - 1])) {
            --nameEnd;
        }
        if (colon == std::string::npos || colon >= setting.FirstLineEnd || nameEnd == first
            || text.find_first_of(" \t", first) < nameEnd) {
            parsed.Error = "line " + std::to_string(setting.Line) + " is neither a setting (name: value) nor a comment: "
                           + Quoted(text, start, setting.FirstLineEnd);
            return parsed;
        }
        setting.Name = text.substr(first, nameEnd - first);
        setting.ValueStart = SkipBlanks(text, colon + 1, setting.FirstLineEnd);
        parsed.Settings.push_back(setting);
    }
    return parsed;
}

// The value with its continuations joined, as XScreenSaver sees it.
std::string JoinedValue(const std::string& text, const Setting& setting)
{
    std::string value;
    std::size_t at = setting.ValueStart;
    while (at < setting.End) {
        std::size_t end = text.find('\n', at);
        const std::size_t next = end == std::string::npos || end >= setting.End ? setting.End : end + 1;
        end = end == std::string::npos || end >= setting.End ? setting.End : end;
        const bool more = Continues(text, at, end);
        value.append(text, at, end - at - (more ? 1 : 0));
        at = next;
    }
    return value;
}

// One entry of the list: "[-] [visual:] ["name"] command", from the program's point of view.
struct Entry {
    bool Disabled = false;
    std::string Program; // the command's first word without its folder
    std::string Text;    // the entry as written, trimmed
    bool Malformed = false;
};

Entry ReadEntry(const std::string& raw)
{
    Entry entry;
    std::size_t at = SkipBlanks(raw, 0, raw.size());
    std::size_t end = raw.size();
    while (end > at && (IsBlank(raw[end - 1]) || raw[end - 1] == '\n' || raw[end - 1] == '\r')) {
        --end;
    }
    entry.Text = raw.substr(at, end - at);
    if (at < end && raw[at] == '-') {
        entry.Disabled = true;
        at = SkipBlanks(raw, at + 1, end);
    }
    std::size_t word = at;
    while (word < end && (std::isalnum(static_cast<unsigned char>(raw[word])) || raw[word] == '_' || raw[word] == '-')) {
        ++word;
    }
    if (word > at && word < end && raw[word] == ':') {
        at = SkipBlanks(raw, word + 1, end);
    }
    if (at < end && raw[at] == '"') {
        const std::size_t close = raw.find('"', at + 1);
        if (close == std::string::npos || close >= end) {
            entry.Malformed = true;
            return entry;
        }
        at = SkipBlanks(raw, close + 1, end);
    }
    std::size_t programEnd = at;
    while (programEnd < end && !IsBlank(raw[programEnd])) {
        ++programEnd;
    }
    const std::string command = raw.substr(at, programEnd - at);
    const std::size_t slash = command.rfind('/');
    entry.Program = slash == std::string::npos ? command : command.substr(slash + 1);
    return entry;
}

// The entry as a message quotes it: the blanks that line up its columns as one.
std::string OneLine(const std::string& text)
{
    std::string line;
    for (const char c : text) {
        if (!IsBlank(c) || (!line.empty() && line.back() != ' ')) {
            line += IsBlank(c) ? ' ' : c;
        }
    }
    return line;
}

// Puts the entry first in the list of `setting`, keeping every byte there.
std::string WithEntry(const std::string& text, const Setting& setting, const std::string& program)
{
    const std::string rest = text.substr(setting.ValueStart, setting.FirstLineEnd - setting.ValueStart);
    std::string result = text;
    if (rest == "\\") {
        // "programs:  \" and the list below it: the entry becomes its first line.
        if (setting.FirstLineEnd == text.size()) {
            result.insert(setting.FirstLineEnd, "\n" + EntryText(program) + "\n");
        } else {
            result.insert(setting.FirstLineEnd + 1, EntryText(program) + "\\\n");
        }
    } else if (rest.empty()) {
        // An empty list.
        result.insert(setting.ValueStart, "\\\n" + EntryText(program));
    } else {
        // The list begins on the line of its name.
        result.insert(setting.ValueStart, "\\\n" + EntryText(program) + "\\\n");
    }
    return result;
}

bool IsListName(const std::string& name, bool anyPrefix)
{
    constexpr const char* List = "programs";
    if (name == List) {
        return true;
    }
    const std::size_t cut = name.find_last_of("*.");
    return anyPrefix && cut != std::string::npos && name.substr(cut + 1) == List;
}

} // namespace

std::string ShowEntry(const std::string& program)
{
    return "GL: \"Vessmark\" " + program + " --root";
}

ProgramsEdit AddShowEntry(const std::optional<std::string>& userFile, const std::optional<std::string>& defaults,
                          const std::string& program)
{
    ProgramsEdit edit;
    const std::string text = userFile.value_or("");
    const ParsedFile parsed = ParseSettings(text);
    if (!parsed.Error.empty()) {
        edit.Detail = parsed.Error;
        return edit;
    }
    const Setting* list = nullptr;
    for (const Setting& setting : parsed.Settings) {
        if (!IsListName(setting.Name, false)) {
            continue;
        }
        if (list != nullptr) {
            edit.Detail = "it has two lists of display modes (\"programs:\" on lines " + std::to_string(list->Line)
                          + " and " + std::to_string(setting.Line) + ")";
            return edit;
        }
        list = &setting;
    }

    if (list != nullptr) {
        const std::string value = JoinedValue(text, *list);
        std::size_t at = 0;
        while (at <= value.size()) {
            std::size_t end = value.find("\\n", at);
            end = end == std::string::npos ? value.size() : end;
            const Entry entry = ReadEntry(value.substr(at, end - at));
            if (entry.Malformed) {
                edit.Detail = "an entry of its list (\"programs:\" on line " + std::to_string(list->Line)
                              + ") has a name without its closing quote: '" + entry.Text + "'";
                return edit;
            }
            if (entry.Program == ShowProgramName) {
                edit.Result = ProgramsEdit::Outcome::AlreadyListed;
                edit.Detail = OneLine(entry.Text);
                edit.Disabled = entry.Disabled;
                return edit;
            }
            at = end + 2;
        }
        edit.Result = ProgramsEdit::Outcome::Added;
        edit.Text = WithEntry(text, *list, program);
        return edit;
    }

    // No list of the user's own: XScreenSaver's default one, with the entry.
    const ParsedFile defaultSettings = ParseSettings(defaults.value_or(""));
    const Setting* defaultList = nullptr;
    for (const Setting& setting : defaultSettings.Settings) {
        if (IsListName(setting.Name, true)) {
            defaultList = &setting;
        }
    }
    if (!defaults || !defaultSettings.Error.empty() || defaultList == nullptr) {
        edit.Result = ProgramsEdit::Outcome::NoDefaults;
        return edit;
    }
    std::string block = "programs:\t";
    block.append(*defaults, defaultList->ValueStart, defaultList->End - defaultList->ValueStart);
    if (block.back() != '\n') {
        block += '\n';
    }
    const ParsedFile blockSettings = ParseSettings(block); // the one setting, as its lines are the defaults' own
    std::string start = userFile ? text : NewFileHeader;
    if (!start.empty() && start.back() != '\n') {
        start += '\n';
    }
    if (userFile && !start.empty()) {
        start += '\n';
    }
    edit.Result = ProgramsEdit::Outcome::Added;
    edit.ListFromDefaults = true;
    edit.Text = start + WithEntry(block, blockSettings.Settings.front(), program);
    return edit;
}

} // namespace vessmark
