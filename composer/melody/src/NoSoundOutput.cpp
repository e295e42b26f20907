#include "quillon/NoSoundOutput.h"

namespace quillon {

std::string NoSoundOutput::error() const {
    return "这个窗口没有声音输出。";
}

} // namespace quillon
