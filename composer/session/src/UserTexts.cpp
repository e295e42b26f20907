#include "quillon/UserTexts.h"

#include "quillon/TextCodec.h"

namespace quillon {

std::u16string_view userText(UserText text) {
    switch (text) {
    case UserText::PlayMenu:
        return u"播放旋律 (F5)";
    case UserText::StopMenu:
        return u"停止 (Esc)";
    case UserText::SoundOnClickMenu:
        return u"点击音符时发音";
    case UserText::UndoMenu:
        return u"撤销(&U)\tCtrl+Z";
    case UserText::RedoMenu:
        return u"重做(&R)\tCtrl+Y";
    case UserText::CutMenu:
        return u"剪切(&T)\tCtrl+X";
    case UserText::CopyMenu:
        return u"复制(&C)\tCtrl+C";
    case UserText::PasteMenu:
        return u"粘贴(&P)\tCtrl+V";
    case UserText::DeleteMenu:
        return u"删除(&D)\tDel";
    case UserText::SelectAllMenu:
        return u"全选(&A)\tCtrl+A";
    case UserText::NoSound:
        return u"无法播放旋律：没有可用的声音输出。";
    case UserText::PlayFailed:
        return u"无法播放旋律。文本没有改变。";
    case UserText::StepFailed:
        return u"操作未能完成，文本保持在中断时的状态。";
    case UserText::OutOfMemory:
        return u"内存不足。";
    case UserText::AboutApplication:
        return u"作者";
    case UserText::AboutExtra:
        // No blank or line break between the credit and the thanks: they read as one line.
        return u"Quillon " QUILLON_VERSION u"，由 Quillon 开发者编写。▲谢谢使用！";
    case UserText::OpenMenu:
        return u"打开… (Ctrl+O)";
    case UserText::SaveMenu:
        return u"保存 (Ctrl+S)";
    case UserText::SaveAsMenu:
        return u"另存为… (Ctrl+Shift+S)";
    case UserText::RecentMenu:
        return u"最近的旋律";
    case UserText::NoRecentMelodies:
        return u"（还没有）";
    case UserText::OpenTitle:
        return u"打开";
    case UserText::SaveAsTitle:
        return u"另存为";
    case UserText::SourceFilesFilter:
        return u"C 源文件 (*.h *.c)";
    case UserText::AllFilesFilter:
        return u"所有文件 (*)";
    case UserText::SaveButton:
        return u"保存";
    case UserText::DontSaveButton:
        return u"不保存";
    case UserText::CancelButton:
        return u"取消";
    case UserText::MelodiesNotKept:
        return u"旋律不会被自动保留：无法写入保留旋律的文件夹。";
    case UserText::TunesFilter:
        return u"RTTTL 或 MIDI 乐曲 (*.rtttl *.txt *.mid *.midi)";
    case UserText::TuneChanged:
        return u"乐曲已导入。为了能用音乐代码写出来，做了下面这些改动：";
    case UserText::TuneNotImported:
        return u"无法导入这个乐曲，文本没有改变。";
    case UserText::TuneChoiceTitle:
        return u"选择乐曲";
    case UserText::TuneChoicePrompt:
        return u"这个文件里有不止一首乐曲（音轨或通道）。选择要导入的一首：";
    case UserText::TakeTuneButton:
        return u"导入";
    case UserText::CopyArduinoSketchMenu:
        return u"复制为 Arduino 程序";
    case UserText::ClipboardFailed:
        return u"无法写入剪贴板：另一个程序正占用着它。请再试一次。";
    case UserText::PlayOnBoardMenu:
        return u"在开发板上播放 (F6)";
    case UserText::BoardTitle:
        return u"在开发板上播放";
    case UserText::BoardPortPrompt:
        return u"有不止一个串口。选择开发板所在的一个：";
    case UserText::BoardKindPrompt:
        return u"从 USB 标识看不出这是哪种开发板。选择它的种类（只问这一次）：";
    case UserText::BoardTakeButton:
        return u"确定";
    case UserText::BoardConnecting:
        return u"正在连接开发板……";
    case UserText::BoardWriting:
        return u"正在写入开发板……";
    case UserText::BoardVerifying:
        return u"正在校验……";
    case UserText::BoardDone:
        return u"旋律已写入开发板并校验无误。开发板每次复位后都会播放它。";
    case UserText::BoardFailed:
        return u"没能在开发板上播放这段旋律。";
    case UserText::BoardResetFirst:
        return u"开发板的引导程序没有应答。Leonardo 和 Micro 上正在运行的程序不接受 USB 写入："
               u"请按一下开发板上的复位键，再在 8 秒内按 F6。";
    case UserText::BoardNotOnThisSystem:
        return u"这个版本还不能写入开发板：请在 Linux 上使用 quillon 或 quillon-upload。";
    case UserText::TransposeUpMenu:
        return u"升高一个音 (Alt+↑)";
    case UserText::TransposeDownMenu:
        return u"降低一个音 (Alt+↓)";
    case UserText::OctaveUpMenu:
        return u"升高八度 (Alt+Shift+↑)";
    case UserText::OctaveDownMenu:
        return u"降低八度 (Alt+Shift+↓)";
    case UserText::NothingToTranspose:
        return u"没有可移动的音符，文本没有改变。";
    case UserText::CopyShareLinkMenu:
        return u"复制分享链接";
    case UserText::ShareLinkBroken:
        return u"这个链接里的旋律读不出来：链接不完整或已损坏。";
    }
    return u"";
}

std::u16string_view uploadErrorText(UploadError error) {
    switch (error) {
    case UploadError::NoBoardFound:
        return u"没有找到开发板。请用能传输数据的 USB 线连接开发板，再按 F6。";
    case UploadError::PortNotFound:
        return u"开发板的串口不见了。请检查连接，再按 F6。";
    case UploadError::PortBusy:
        return u"串口正被另一个程序占用（也许是串口监视器）。请先关闭它，再按 F6。";
    case UploadError::NoPermission:
        return u"没有打开串口的权限。请把自己加入 dialout 组（sudo usermod -aG dialout "
               u"$USER），注销后重新登录，再按 F6。";
    case UploadError::PortFailed:
        return u"串口出错了。请检查连接，再按 F6。";
    case UploadError::PortGone:
        return u"写入途中串口断开了。请检查 USB 线，再按 F6：开发板的引导程序不受影响。";
    case UploadError::NoAnswer:
        return u"开发板的引导程序没有应答。也许开发板的种类选错了，下次按 F6 时会再问；"
               u"旧引导程序的 Nano 请选“Arduino Nano（旧引导程序）”。";
    case UploadError::WrongAnswer:
        return u"开发板的应答不对。也许另一个程序在用这个串口，或者开发板的种类选错了。";
    case UploadError::WrongChip:
        return u"开发板上的芯片与所选的种类不符。下次按 F6 时请重新选择开发板的种类。";
    case UploadError::MelodyEmpty:
        return u"旋律里还没有音符。";
    case UploadError::MelodyTooLong:
        return u"旋律太长，开发板的闪存放不下。请缩短旋律，或换用 Arduino Mega 2560。";
    case UploadError::VerifyMismatch:
        return u"校验失败：读回的闪存与写入的不同，开发板上没有这段旋律。请再按 F6 写入一次。";
    case UploadError::Cancelled:
        return u"已取消。开发板上的程序可能不完整；再按 F6 即可重新写入。";
    }
    return u"";
}

std::u16string boardKindText(std::string_view name) {
    if (name == "uno") {
        return u"Arduino Uno";
    }
    if (name == "nano") {
        return u"Arduino Nano";
    }
    if (name == "nano-old") {
        return u"Arduino Nano（旧引导程序）";
    }
    if (name == "mega") {
        return u"Arduino Mega 2560";
    }
    if (name == "leonardo") {
        return u"Arduino Leonardo / Micro";
    }
    return std::u16string(name.begin(), name.end());
}

std::u16string_view importErrorText(ImportError error) {
    switch (error) {
    case ImportError::Empty:
        return u"文件是空的。";
    case ImportError::NotATune:
        return u"文件既不是 RTTTL 铃声，也不是 MIDI 文件。";
    case ImportError::CutShort:
        return u"文件不完整：在乐曲结束之前就断了。";
    case ImportError::MidiFormat2:
        return u"这是格式 2 的 MIDI 文件（几段互不相关的乐曲），没有可以导入的一首乐曲。";
    case ImportError::BrokenMidi:
        return u"MIDI 文件已损坏。";
    case ImportError::NoNotes:
        return u"文件里没有可以导入的音符（例如只有打击乐）。";
    case ImportError::TooLong:
        return u"乐曲太长：数组放不进单片机 32 KB 的闪存。";
    case ImportError::NoSuchTune:
        return u"文件里没有所选的音轨或乐曲。";
    }
    return u"";
}

namespace {

std::u16string number(std::int64_t value) {
    const std::string digits = std::to_string(value < 0 ? -value : value);
    return std::u16string(digits.begin(), digits.end());
}

std::u16string direction(std::int64_t value) {
    return value < 0 ? u"降低" : u"升高";
}

std::u16string changeLine(const Change& change) {
    const std::u16string count = number(change.count);
    const std::u16string value = number(change.value);
    switch (change.kind) {
    case ChangeKind::Transposed:
        return u"整首乐曲移调，" + direction(change.value) + value +
               u" 个半音，让最多的音落在自然音上";
    case ChangeKind::OctaveMoved:
        return u"整首乐曲" + direction(change.value) + value + u" 个八度，让最多的音落在 C3–B6 里";
    case ChangeKind::TookNaturalBelow:
        return count + u" 个仍是升半音的音符改用下方的自然音";
    case ChangeKind::MovedIntoRange:
        return count + u" 个超出 C3–B6 的音符按八度移了进来";
    case ChangeKind::NoteLengthRounded:
        return count + u" 个音符的时值改成了最接近的代码时值";
    case ChangeKind::RestLengthRounded:
        return count + u" 个休止符的时值改成了最接近的代码时值";
    case ChangeKind::NoteSplit:
        return count + u" 个长于 2 秒的音符拆成几个代码（多了 " + value + u" 个），每段重新发音";
    case ChangeKind::RestSplit:
        return count + u" 个长于 2 秒的休止符拆成几个代码（多了 " + value + u" 个）";
    case ChangeKind::ShortSilenceDropped:
        return u"去掉了 " + count + u" 个短于 50 毫秒的间隙，时间归前面的音符";
    case ChangeKind::LeadingSilenceLeftOut:
        return u"去掉了第一个音符之前 " + value + u" 毫秒的静音";
    case ChangeKind::NotesUnderTopVoice:
        return count + u" 个被更高的音盖住的音符没有采用：只取最高的声部";
    case ChangeKind::OtherTracksLeftOut:
        return u"没有采用另外 " + value + u" 个音轨里的 " + count + u" 个音符";
    case ChangeKind::OtherChannelsLeftOut:
        return u"没有采用另外 " + value + u" 个通道里的 " + count + u" 个音符";
    case ChangeKind::DrumNotesLeftOut:
        return u"没有采用第 10 通道（打击乐）的 " + count + u" 个音符";
    case ChangeKind::TokenSkipped:
        return u"跳过了 " + count + u" 个认不出的记号";
    case ChangeKind::OtherTunesLeftOut:
        return u"没有采用文件里另外的 " + count + u" 首乐曲";
    }
    return {};
}

} // namespace

std::u16string importReportText(const ImportReport& report) {
    std::u16string text;
    for (const Change& change : report.changes()) {
        if (!text.empty()) {
            text += u'\n';
        }
        text += changeLine(change);
        text += u"。";
    }
    return text;
}

std::u16string tuneChoiceRow(const TuneCandidate& candidate, std::size_t position, bool isDefault) {
    // Ideographic spaces part the fields, as a list in Chinese reads.
    constexpr std::u16string_view gap = u"\u3000";
    std::u16string row = number(static_cast<std::int64_t>(position));
    row += gap;
    row +=
        candidate.name.empty() ? std::u16string(u"（无名称）") : decodeUtf8Lenient(candidate.name);
    if (!candidate.channels.empty()) {
        row += gap;
        row += u"通道 ";
        for (std::size_t i = 0; i < candidate.channels.size(); ++i) {
            if (i > 0) {
                row += u"、";
            }
            row += number(candidate.channels[i]);
        }
    }
    row += gap;
    row += number(candidate.notes) + u" 个音符";
    if (candidate.lowest >= 0) {
        row += gap;
        const std::string lowest = noteName(candidate.lowest);
        const std::string highest = noteName(candidate.highest);
        row.append(lowest.begin(), lowest.end());
        row += u"–";
        row.append(highest.begin(), highest.end());
    }
    if (isDefault) {
        row += u"（默认）";
    }
    return row;
}

std::u16string_view findingText(FindingKind kind) {
    switch (kind) {
    case FindingKind::NoOpeningBrace:
        return u"找不到“{”：文本里没有数组，编译器不接受，也没有可播放的旋律";
    case FindingKind::NotALiteral:
        return u"这不是整数常量（十六进制、十进制或八进制）：编译器会拒绝整个文件";
    case FindingKind::ValueTooLarge:
        return u"数值超出 unsigned char 的范围（大于 255 或小于 -128）：编译器只留下低 8 位"
               u"（试听也这样播），0x100 会变成 0，旋律就此结束";
    case FindingKind::NoPitch:
        return u"音符编号 28–30 没有音高：试听时静音，播放器若用它查重装值表会读出表外";
    case FindingKind::NoEndBeforeBrace:
        return u"“}”之前没有结束码 0x00：播放器会越过数组末尾继续播放内存里的内容";
    case FindingKind::NoClosingBrace:
        return u"旋律还没有结束：按“End”写入结束码 0x00};，否则编译器不接受，播放器也不会停";
    case FindingKind::AfterEnd:
        return u"在结束码 0x00 之后：播放器在 0x00 停下，这个元素永远不会播放";
    case FindingKind::MissingComma:
        return u"两个元素之间缺少逗号：编译器会拒绝整个文件";
    case FindingKind::ExtraComma:
        return u"逗号前面没有元素：编译器会拒绝整个文件";
    case FindingKind::OpenComment:
        return u"注释“/*”没有“*/”结束：后面的内容全成了注释，数组不会结束，编译器不接受";
    case FindingKind::NotAComposerCode:
        return u"这不是作曲器写的代码（字符常量、正负号或二进制）：编译器接受，存下它的低 8 位，"
               u"试听也这样播放";
    case FindingKind::NotADeclaration:
        return u"“{”前面不是数组的声明（例如 const unsigned char music_item[] =）："
               u"编译器会拒绝整个文件，或者不把它当作数组";
    case FindingKind::BraceOutOfOrder:
        return u"“}”出现在“{”之前：括号的顺序错了，编译器会拒绝整个文件";
    }
    return u"";
}

std::u16string_view soundCauseText(SoundCause cause) {
    switch (cause) {
    case SoundCause::None:
    case SoundCause::NoDevice: // the NoOutput sentence says it already
        return u"";
    case SoundCause::LibraryHung:
        return u"声音库的一次调用一直没有返回。";
    case SoundCause::LibraryRefused:
        return u"声音库拒绝了请求。";
    case SoundCause::RenderFailed:
        return u"内存不足，无法生成旋律的声音。";
    case SoundCause::NothingRendered:
        return u"旋律没有产生任何声音。";
    case SoundCause::NeverAsked:
        return u"声音输出接受了声音流，却从来没有取走声音。";
    case SoundCause::WentAway:
        return u"声音输出在播放中途消失了（声音服务器已退出）。";
    case SoundCause::NoOutputHere:
        return u"这个版本的作曲器没有声音输出。";
    }
    return u"";
}

std::u16string_view soundProblemText(SoundProblem problem) {
    switch (problem) {
    case SoundProblem::None:
        return u"";
    case SoundProblem::NoOutput:
        return u"找不到声音输出设备：没有声卡，或桌面的声音服务器（PulseAudio、PipeWire）没有运行。"
               u"声音服务器启动以后，再按 F5 即可。";
    case SoundProblem::OutputFailed:
        return u"声音输出设备无法打开或启动。";
    case SoundProblem::Stalled:
        return u"声音输出停住了：一秒钟没有任何进展，播放已停止。";
    }
    return u"";
}

std::u16string_view fileProblemText(FileProblemKind kind) {
    switch (kind) {
    case FileProblemKind::CannotRead:
        return u"无法打开这个文件。";
    case FileProblemKind::TooLarge:
        return u"这个文件超过 16 MB，不是旋律，没有打开。";
    case FileProblemKind::NotText:
        return u"这个文件不是文本，没有打开。";
    case FileProblemKind::CannotWrite:
        return u"无法保存旋律，文件没有改变。";
    }
    return {};
}

std::u16string notesStayedText(std::size_t count) {
    const std::string digits = std::to_string(count);
    std::u16string text = u"有 ";
    text.append(digits.begin(), digits.end());
    text += u" 个音符已到音域边缘（C3–B6），没有移动。";
    return text;
}

std::u16string saveChangesQuestion(std::u16string_view fileName) {
    std::u16string question = u"是否保存对 ";
    question += fileName;
    question += u" 的更改？";
    return question;
}

} // namespace quillon
