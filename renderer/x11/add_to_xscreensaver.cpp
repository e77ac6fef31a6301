#include "add_to_xscreensaver.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "show_options.h"
#include "xscreensaver_list.h"

namespace vessmark {

namespace {

struct FileRead {
    std::optional<std::string> Bytes; // nothing when the file does not exist
    mode_t Mode = 0;
    std::string Error;                // empty when read, or when there is no file
};

FileRead ReadWhole(const std::string& path)
{
    FileRead result;
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        if (errno != ENOENT) {
            result.Error = "cannot read " + path + ": " + std::strerror(errno);
        }
        return result;
    }
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        result.Error = "cannot read " + path + ": it is not a plain file";
        close(descriptor);
        return result;
    }
    std::string bytes;
    char buffer[65536];
    while (true) {
        const ssize_t got = ::read(descriptor, buffer, sizeof buffer);
        if (got > 0) {
            bytes.append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            result.Error = "cannot read " + path + ": " + std::strerror(errno);
            close(descriptor);
            return result;
        }
    }
    close(descriptor);
    result.Bytes = std::move(bytes);
    result.Mode = status.st_mode & 07777;
    return result;
}

// Writes a file whole or not at all: a new file beside it, renamed over it.
std::string WriteWhole(const std::string& path, const std::string& bytes, mode_t mode)
{
    std::string temporary = path + ".XXXXXX";
    const int descriptor = mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0) {
        return "cannot write beside " + path + ": " + std::strerror(errno);
    }
    std::size_t written = 0;
    bool good = fchmod(descriptor, mode) == 0;
    while (good && written < bytes.size()) {
        const ssize_t wrote = write(descriptor, bytes.data() + written, bytes.size() - written);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        good = wrote > 0;
        written += good ? static_cast<std::size_t>(wrote) : 0;
    }
    good = good && fsync(descriptor) == 0;
    const int writeErrno = errno;
    good = close(descriptor) == 0 && good;
    if (!good || rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string reason = std::strerror(good ? errno : writeErrno);
        unlink(temporary.c_str());
        return "cannot write " + path + ": " + reason;
    }
    return {};
}

// The program as the entry names it: by name when it is where XScreenSaver
// looks for hacks (the package's /usr/bin/vessmark-show leads there), else
// by its full path.
std::optional<std::string> EntryProgram(std::string& error)
{
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) {
        error = std::string("cannot find where this program is: ") + std::strerror(errno);
        return std::nullopt;
    }
    const std::string path(buffer, static_cast<std::size_t>(length));
    if (path == std::string(XScreenSaverHackFolder) + "/" + ShowProgramName) {
        return std::string(ShowProgramName);
    }
    // The daemon runs the entry through the shell: a path it would split or
    // expand is refused rather than quoted.
    if (path.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789/._+,-")
        != std::string::npos) {
        error = "this program's path (" + path + ") has characters an XScreenSaver entry cannot hold;"
                " run it from a folder with a plainer name";
        return std::nullopt;
    }
    return path;
}

std::optional<std::string> HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return std::string(home);
    }
    if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr) {
        return std::string(user->pw_dir);
    }
    return std::nullopt;
}

// The file that a link named ~/.xscreensaver leads to is the one to edit, so
// that the link stays; nothing for a link that leads nowhere.
std::optional<std::string> FileBehindLinks(const std::string& path)
{
    char resolved[PATH_MAX];
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
        return path;
    }
    if (realpath(path.c_str(), resolved) == nullptr) {
        return std::nullopt;
    }
    return std::string(resolved);
}

mode_t NewFileMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

} // namespace

int AddToXScreenSaver(std::ostream& out, std::ostream& err)
{
    std::string error;
    const auto program = EntryProgram(error);
    if (!program) {
        err << "vessmark-show: " << error << "\n";
        return ShowExitFailed;
    }
    const auto home = HomeFolder();
    if (!home) {
        err << "vessmark-show: HOME is not set and the user has no home folder\n";
        return ShowExitFailed;
    }
    const std::string shown = *home + "/.xscreensaver";
    const auto behind = FileBehindLinks(shown);
    if (!behind) {
        err << "vessmark-show: " << shown << " is a link to a file that cannot be reached: " << std::strerror(errno)
            << "; nothing changed.\n";
        return ShowExitFailed;
    }
    const std::string& path = *behind;
    const FileRead current = ReadWhole(path);
    if (!current.Error.empty()) {
        err << "vessmark-show: " << current.Error << "\n";
        return ShowExitFailed;
    }
    const FileRead defaults = ReadWhole(XScreenSaverDefaultsFile);
    const ProgramsEdit edit = AddShowEntry(current.Bytes, defaults.Bytes, *program);
    const std::string entry = ShowEntry(*program);
    switch (edit.Result) {
    case ProgramsEdit::Outcome::AlreadyListed:
        out << "vessmark-show: " << shown << " lists Vessmark already (" << edit.Detail << ")"
            << (edit.Disabled ? ", marked inactive: tick it in xscreensaver-settings to use it" : "")
            << "; nothing changed.\n";
        return ShowExitDone;
    case ProgramsEdit::Outcome::Unreadable:
        err << "vessmark-show: " << shown << " is left as it was: " << edit.Detail
            << ". Add Vessmark to its \"programs:\" list by hand, in a line of its own: " << entry << " \\n\\\n";
        return ShowExitFailed;
    case ProgramsEdit::Outcome::NoDefaults:
        err << "vessmark-show: " << shown << " has no list of display modes, and XScreenSaver's default list is not in "
            << XScreenSaverDefaultsFile << " (is xscreensaver installed?); nothing changed.\n";
        return ShowExitFailed;
    case ProgramsEdit::Outcome::Added:
        break;
    }
    const std::string backup = path + XScreenSaverBackupSuffix;
    if (current.Bytes) {
        if (const std::string failed = WriteWhole(backup, *current.Bytes, current.Mode); !failed.empty()) {
            err << "vessmark-show: " << failed << "; " << shown << " is left as it was.\n";
            return ShowExitFailed;
        }
    }
    if (const std::string failed = WriteWhole(path, edit.Text, current.Bytes ? current.Mode : NewFileMode());
        !failed.empty()) {
        err << "vessmark-show: " << failed << "; it is left as it was.\n";
        return ShowExitFailed;
    }
    if (current.Bytes) {
        out << "vessmark-show: added Vessmark (" << entry << ") to " << shown
            << (edit.ListFromDefaults ? " with XScreenSaver's default display modes, which it did not list" : "")
            << "; the file as it was is " << backup << ".\n";
    } else {
        out << "vessmark-show: made " << shown << " with XScreenSaver's default display modes and Vessmark (" << entry
            << ").\n";
    }
    out << "xscreensaver-settings lists it now; a running XScreenSaver takes it from the next display mode it"
           " starts.\n";
    return ShowExitDone;
}

} // namespace vessmark
