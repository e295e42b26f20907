#include "quillon/UserTexts.h"

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
        return u"撤销(&U)";
    case UserText::RedoMenu:
        return u"重做(&R)";
    case UserText::CutMenu:
        return u"剪切(&T)";
    case UserText::CopyMenu:
        return u"复制(&C)";
    case UserText::PasteMenu:
        return u"粘贴(&P)";
    case UserText::DeleteMenu:
        return u"删除(&D)";
    case UserText::SelectAllMenu:
        return u"全选(&A)";
    case UserText::NoSound:
        return u"无法播放旋律：没有可用的声音输出。";
    case UserText::PlayFailed:
        return u"无法播放旋律。";
    case UserText::AboutApplication:
        return u"Quillon，由 Quillon 开发者编写。";
    case UserText::AboutExtra:
        return u"▲谢谢使用！";
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
    }
    return {};
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

std::u16string saveChangesQuestion(std::u16string_view fileName) {
    std::u16string question = u"是否保存对 ";
    question += fileName;
    question += u" 的更改？";
    return question;
}

} // namespace quillon
