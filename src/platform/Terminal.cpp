#include "platform/Terminal.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace qx::sys {

std::optional<std::string> ReadHiddenLine(const std::string& prompt) {
    int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    (void)!::write(fd, prompt.data(), prompt.size());
    termios old {};
    const bool isTerm = ::tcgetattr(fd, &old) == 0;
    if (isTerm) {
        termios quiet = old;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        ::tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    std::string line;
    bool gotNewline = false;
    char c;
    while (::read(fd, &c, 1) == 1) {
        if (c == '\n') {
            gotNewline = true;
            break;
        }
        if (c != '\r') line.push_back(c);
    }
    if (isTerm) ::tcsetattr(fd, TCSAFLUSH, &old);
    ::close(fd);
    if (!gotNewline && line.empty()) return std::nullopt;
    return line;
}

// Bytes always pass through unchanged here.
void UseBinaryOutput() {}

std::vector<std::string> CommandWords(int argc, char** argv) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

}  // namespace qx::sys
