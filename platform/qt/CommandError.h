#pragma once
// A command step that failed. The screens report failures by the platform's numbers of
// run-time errors (53 file not found, 75 path/file access, 521 clipboard, ...), which
// their message tables know; `detail` names what failed and why, when there is more to
// say than the table's text (for example the file and the system's reason).

#include <new>
#include <stdexcept>
#include <string>
#include <system_error>

namespace kalvoren {

namespace ErrorNumber {
inline constexpr int Overflow = 6;
inline constexpr int OutOfMemory = 7;
inline constexpr int InternalError = 51;
inline constexpr int BadFileName = 52;
inline constexpr int FileNotFound = 53;
inline constexpr int DeviceIoError = 57;
inline constexpr int FileAlreadyExists = 58;
inline constexpr int DiskFull = 61;
inline constexpr int TooManyFiles = 67;
inline constexpr int DeviceUnavailable = 68;
inline constexpr int PathFileAccess = 75;
inline constexpr int PathNotFound = 76;
inline constexpr int InvalidFileFormat = 321;
inline constexpr int ComponentNotFound = 337;
inline constexpr int ObjectRequired = 424;
inline constexpr int ClipboardUnavailable = 521;
}  // namespace ErrorNumber

class CommandError : public std::runtime_error {
  public:
    explicit CommandError(int number, std::string detail = {})
        : std::runtime_error(detail), number_(number), detail_(std::move(detail)) {}
    int number() const { return number_; }
    const std::string& detail() const { return detail_; }

  private:
    int number_;
    std::string detail_;
};

// What a screen's last command left: number 0 when it succeeded, otherwise the error
// number its message table knows and a detail to show beside the message.
struct CommandOutcome {
    int number = 0;
    std::string detail;

    void clear() {
        number = 0;
        detail.clear();
    }
    void record(const CommandError& error) {
        number = error.number();
        detail = error.detail();
    }
    // Clears, then runs `command` and records what it throws: a CommandError as it is, a
    // failed allocation as out of memory, anything else as an internal error with its text.
    template <class Command>
    void run(Command&& command) {
        clear();
        try {
            command();
        } catch (const CommandError& e) {
            record(e);
        } catch (const std::bad_alloc&) {
            number = ErrorNumber::OutOfMemory;
        } catch (const std::exception& e) {
            number = ErrorNumber::InternalError;
            detail = e.what();
        }
    }
};

// The platform's error number for a failed file operation.
int errorNumberFor(std::error_code ec);

}  // namespace kalvoren
