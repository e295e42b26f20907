// quillon-upload: writes a melody onto an Arduino board through the bootloader it already has,
// inside the player program built for the board, reads it back to verify, and starts it. The
// melody is a music code array as the composer writes it, or a tune quillon-import reads.
#include "quillon/BoardKind.h"
#include "quillon/ImportTune.h"
#include "quillon/MelodyReader.h"
#include "quillon/PortList.h"
#include "quillon/Upload.h"
#include "quillon/UploadError.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <variant>
#include <vector>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr const char* kName = "quillon-upload";

// What differs between the systems: the names of their serial ports and what refuses one.
#ifdef _WIN32
constexpr const char* kNoPorts = "no COM ports";
constexpr const char* kNoBoard = "no board found: no COM port. Plug the board in with a USB cable "
                                 "that carries data, or name its port with --port.";

bool stderrIsTerminal() {
    return ::_isatty(::_fileno(stderr)) != 0;
}

// Windows opens a COM port for one program at a time.
std::string busyText(const std::string& port) {
    return port + " is busy: another program (a serial monitor) holds it. Close it and try again.";
}

// The port opens with access denied when it is held, which is busy; this is for anything else.
std::string noPermissionText(const std::string& port) {
    return "no permission to open " + port + ". Close any other program that uses it (a serial " +
           "monitor?), and try again.";
}

// COM3 and com3 are one port.
bool samePort(const std::string& a, const std::string& b) {
    return ::_stricmp(a.c_str(), b.c_str()) == 0;
}
#else
constexpr const char* kNoPorts = "no serial ports (/dev/ttyACM*, /dev/ttyUSB*)";
constexpr const char* kNoBoard = "no board found: no /dev/ttyACM* or /dev/ttyUSB* port. Plug the "
                                 "board in with a USB cable that carries data, or name its port "
                                 "with --port.";

bool stderrIsTerminal() {
    return ::isatty(STDERR_FILENO) != 0;
}

std::string busyText(const std::string& port) {
    return port + " is busy: another program holds it (a serial monitor?). Close it and try again.";
}

std::string noPermissionText(const std::string& port) {
    return "no permission to open " + port + ". Add yourself to the dialout group (sudo " +
           "usermod -aG dialout $USER), log out and in again, and try again.";
}

bool samePort(const std::string& a, const std::string& b) {
    return a == b;
}
#endif

int usage(std::FILE* to, int status) {
    std::fprintf(to,
                 "usage: %s [--port PORT] [--board uno|nano|nano-old|mega|leonardo] FILE\n"
                 "       %s --list-ports\n",
                 kName, kName);
    return status;
}

int fail(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", kName, message.c_str());
    return 1;
}

bool readFile(const char* path, std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        return false;
    }
    std::uint8_t buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return !failed;
}

// The composer's array when the text has a "{", a tune otherwise (MIDI by its header).
bool readCodes(const std::vector<std::uint8_t>& bytes, std::vector<std::uint8_t>& codes,
               std::string& error) {
    const bool midi = bytes.size() >= 4 && std::memcmp(bytes.data(), "MThd", 4) == 0;
    bool braced = false;
    for (const std::uint8_t byte : bytes) {
        braced = braced || byte == '{';
    }
    if (!midi && braced) {
        // Bytes beyond ASCII stand only in comments and names: one code unit each will do.
        const std::u16string text(bytes.begin(), bytes.end());
        const quillon::Melody melody = quillon::readMelody(text);
        codes = quillon::playedCodes(melody);
        return true;
    }
    const quillon::ImportResult result = quillon::importTune(bytes);
    if (const auto* tune = std::get_if<quillon::ImportedTune>(&result)) {
        codes = tune->codes;
        return true;
    }
    error = "neither a music code array nor a tune quillon-import reads";
    return false;
}

void listPorts() {
    const auto ports = quillon::listPorts();
    if (ports.empty()) {
        std::printf("%s\n", kNoPorts);
    }
    for (const quillon::PortInfo& port : ports) {
        std::printf("%s", port.path.c_str());
        if (port.vendorId != 0) {
            std::printf("\tUSB %04x:%04x", port.vendorId, port.productId);
        }
        if (!port.product.empty()) {
            std::printf("\t%s", port.product.c_str());
        }
        std::printf("\t%s\n", port.boardName.empty() ? "board kind unknown: give --board"
                                                     : port.boardName.c_str());
    }
}

const char* phaseName(quillon::UploadPhase phase) {
    switch (phase) {
    case quillon::UploadPhase::Connecting:
        return "connecting";
    case quillon::UploadPhase::Writing:
        return "writing   ";
    case quillon::UploadPhase::Verifying:
        return "verifying ";
    case quillon::UploadPhase::Done:
        return "done      ";
    }
    return "";
}

std::string message(const quillon::UploadFailure& failure, const std::string& port,
                    const quillon::BoardKind& board) {
    using quillon::UploadError;
    const std::string detail = failure.what();
    const std::string title(board.title);
    switch (failure.kind()) {
    case UploadError::NoBoardFound:
        return "no board found. Plug the board in with a USB cable that carries data, or name "
               "its port with --port (see --list-ports).";
    case UploadError::PortNotFound:
        return port + " does not exist. See the serial ports with --list-ports.";
    case UploadError::PortBusy:
        return busyText(port);
    case UploadError::NoPermission:
        return noPermissionText(port);
    case UploadError::PortFailed:
        return detail + ". Check the port with --list-ports.";
    case UploadError::PortGone:
        return "the port went away during the upload (" + detail + "). Check the cable and " +
               "upload again: the board keeps its bootloader.";
    case UploadError::NoAnswer:
        if (board.protocol == quillon::BootProtocol::Avr109) {
            // The program on the board does not speak USB, so the touch cannot reach it.
            return "no answer from the bootloader of the " + title + " on " + port +
                   ". Press the board's reset button and upload again within 8 seconds, " +
                   "while its bootloader waits.";
        }
        return "no answer from the bootloader of the " + title + " on " + port +
               ". Is it another board kind? Try another --board; a Nano with the old " +
               "bootloader needs --board nano-old.";
    case UploadError::WrongAnswer:
        return "the bootloader's answer makes no sense (" + detail + "). Another program may " +
               "be using the port, or it is another board kind: try another --board.";
    case UploadError::WrongChip:
        return detail + ". Try another --board.";
    case UploadError::MelodyEmpty:
        return "the melody has no notes to play.";
    case UploadError::MelodyTooLong:
        return "the melody does not fit the " + title + "'s flash (" + detail +
               " codes). Shorten it, or use a board with more flash (--board mega).";
    case UploadError::VerifyMismatch:
        return "verify failed: " + detail + ". The board does not hold the melody: upload " +
               "again.";
    case UploadError::Cancelled:
        return "cancelled.";
    }
    return detail;
}

} // namespace

int main(int argc, char** argv) {
    std::string port;
    std::string boardName;
    const char* file = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            return usage(stdout, 0);
        }
        if (arg == "--list-ports" && argc == 2) {
            listPorts();
            return 0;
        }
        if ((arg == "--port" || arg == "--board") && i + 1 < argc) {
            (arg == "--port" ? port : boardName) = argv[++i];
        } else if (arg.starts_with("--") || file != nullptr) {
            return usage(stderr, 2);
        } else {
            file = argv[i];
        }
    }
    if (file == nullptr) {
        return usage(stderr, 2);
    }
    const quillon::BoardKind* board = nullptr;
    if (!boardName.empty()) {
        board = quillon::findBoardKind(boardName);
        if (board == nullptr) {
            std::fprintf(stderr, "%s: no board '%s': uno, nano, nano-old, mega or leonardo\n",
                         kName, boardName.c_str());
            return 2;
        }
    }

    std::vector<std::uint8_t> bytes;
    if (!readFile(file, bytes)) {
        return fail(std::string(file) + ": " + std::strerror(errno));
    }
    std::vector<std::uint8_t> codes;
    std::string error;
    if (!readCodes(bytes, codes, error)) {
        return fail(std::string(file) + ": " + error);
    }

    if (port.empty()) {
        const auto ports = quillon::listPorts();
        if (ports.empty()) {
            return fail(kNoBoard);
        }
        if (ports.size() > 1) {
            std::string names;
            for (const auto& info : ports) {
                names += " " + info.path;
            }
            return fail("several serial ports:" + names + ". Name the board's with --port.");
        }
        port = ports.front().path;
    }
    if (board == nullptr) {
        for (const quillon::PortInfo& info : quillon::listPorts()) {
            if (samePort(info.path, port) && !info.boardName.empty()) {
                board = quillon::findBoardKind(info.boardName);
            }
        }
        if (board == nullptr) {
            return fail("the USB ids of " + port + " do not tell which board it is: give " +
                        "--board uno, nano, nano-old, mega or leonardo.");
        }
    }

    const bool terminal = stderrIsTerminal();
    quillon::UploadRequest request;
    request.port = port;
    request.board = board;
    request.codes = codes;
    if (terminal) {
        request.progress = [](quillon::UploadPhase phase, std::size_t done, std::size_t total) {
            constexpr std::size_t width = 40;
            const std::size_t filled = total == 0 ? 0 : done * width / total;
            std::fprintf(stderr, "\r%s [%s%s] %3zu%%", phaseName(phase),
                         std::string(filled, '#').c_str(), std::string(width - filled, '.').c_str(),
                         total == 0 ? 0 : done * 100 / total);
            if (phase == quillon::UploadPhase::Done) {
                std::fprintf(stderr, "\n");
            }
            std::fflush(stderr);
        };
    }
    try {
        quillon::upload(request);
    } catch (const quillon::UploadFailure& failure) {
        if (terminal) {
            std::fprintf(stderr, "\n");
        }
        return fail(message(failure, port, *board));
    }
    std::printf("%zu codes written to the %s on %s and verified; it plays them after each "
                "reset.\n",
                codes.size(), std::string(board->title).c_str(), port.c_str());
    if (std::fflush(stdout) != 0) {
        return 1;
    }
    return 0;
}
