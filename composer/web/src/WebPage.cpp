#include "WebPage.h"

#include "WebAudioSink.h"
#include "quillon/FormTable.h"
#include "quillon/UserTexts.h"
#include "quillon/Utf8.h"

#include <algorithm>
#include <array>
#include <utility>

namespace quillon {

using emscripten::val;

namespace {

std::string utf8(std::u16string_view text) {
    return encodeUtf8(text);
}

std::size_t offset(double value) {
    return value <= 0 ? 0 : static_cast<std::size_t>(value);
}

// KeyboardEvent.key, lower case, for the keys the session binds.
Key keyNamed(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    static constexpr std::array<std::pair<std::string_view, Key>, 10> kKeys{{
        {"f5", Key::F5},
        {"f6", Key::F6},
        {"escape", Key::Escape},
        {"a", Key::A},
        {"o", Key::O},
        {"s", Key::S},
        {"y", Key::Y},
        {"z", Key::Z},
        {"arrowup", Key::Up},
        {"arrowdown", Key::Down},
    }};
    for (const auto& [keyName, key] : kKeys) {
        if (name == keyName) {
            return key;
        }
    }
    return Key::Other;
}

// The page's own entry has no action of the session's.
constexpr int kShareLinkEntry = -1;

val menuEntry(int action, std::u16string_view text, bool enabled = true) {
    val entry = val::object();
    entry.set("action", action);
    entry.set("item", 0);
    entry.set("text", utf8(text));
    entry.set("enabled", enabled);
    entry.set("checkable", false);
    entry.set("checked", false);
    entry.set("submenu", val::array());
    return entry;
}

val menuEntries(const std::vector<MenuEntry>& entries) {
    val list = val::array();
    for (const MenuEntry& made : entries) {
        val entry = menuEntry(static_cast<int>(made.action), made.text, made.enabled);
        entry.set("item", static_cast<double>(made.item));
        entry.set("checkable", made.checkable);
        entry.set("checked", made.checked);
        entry.set("submenu", menuEntries(made.submenu));
        list.call<void>("push", entry);
    }
    return list;
}

const char* kindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::TextBox:
        return "TextBox";
    case ControlKind::Label:
        return "Label";
    case ControlKind::Line:
        return "Line";
    case ControlKind::PictureButton:
        return "PictureButton";
    case ControlKind::CaptionButton:
        return "CaptionButton";
    case ControlKind::Timer:
        return "Timer";
    }
    return "";
}

// A colour as CSS takes it; empty for the page's own.
std::string cssColour(ColourRole role) {
    if (role == ColourRole::Default || role == ColourRole::Menu) {
        return role == ColourRole::Menu ? "Menu" : "";
    }
    const Rgb rgb = rgbOf(role);
    return "rgb(" + std::to_string(rgb.red) + "," + std::to_string(rgb.green) + "," +
           std::to_string(rgb.blue) + ")";
}

} // namespace

WebPage::WebPage(val face)
    : text1_(face), label3_(face, "label3"), form1_(face, "form1"), dialogs_(face), timers_(face),
      sound_(std::make_unique<WebAudioSink>()) {
    session_ =
        std::make_unique<ComposerSession>(SessionPorts{text1_, text1_, label3_, dialogs_, timers_,
                                                       *sound_, dialogs_, form1_, dialogs_},
                                          MelodyKeeping::inUserFolder());
}

WebPage::~WebPage() {
    // The session talks to the ports up to its end.
    session_.reset();
}

void WebPage::load() {
    session_->Form_Load();
}

void WebPage::click(int index) {
    const std::span<const ControlDesign> table = formTable();
    if (index >= 0 && static_cast<std::size_t>(index) < table.size()) {
        session_->run(table[static_cast<std::size_t>(index)].command);
    }
}

void WebPage::textEdited(double from, double removed, const std::string& inserted,
                         double lengthAfter) {
    session_->Text1_Change(offset(from), offset(removed), decodeUtf8Lenient(inserted),
                           offset(lengthAfter));
}

val WebPage::marksWithin(double from, double to) const {
    val marks = val::array();
    for (const TextMark& mark : session_->Text1_MarksWithin(offset(from), offset(to))) {
        val made = val::object();
        made.set("begin", static_cast<double>(mark.begin));
        made.set("end", static_cast<double>(mark.end));
        made.set("error", mark.style == MarkStyle::Error);
        marks.call<void>("push", made);
    }
    return marks;
}

std::string WebPage::tipAt(double index) const {
    return utf8(session_->tipAt(offset(index)));
}

bool WebPage::key(const std::string& name, bool ctrl, bool shift, bool alt, bool inText1) {
    const KeyPress press{keyNamed(name), ctrl, shift, alt};
    if (press.key == Key::Other) {
        return false;
    }
    const std::optional<SessionAction> action = session_->actionForKey(press, inText1);
    if (action) {
        session_->perform(*action);
    }
    return action.has_value();
}

val WebPage::menu() const {
    val entries = val::array();
    entries.call<void>("push", menuEntry(static_cast<int>(SessionAction::Undo),
                                         userText(UserText::UndoMenu), canUndo()));
    entries.call<void>("push", menuEntry(static_cast<int>(SessionAction::Redo),
                                         userText(UserText::RedoMenu), canRedo()));
    entries.call<void>("push", menuEntry(static_cast<int>(SessionAction::SelectAll),
                                         userText(UserText::SelectAllMenu)));
    const val session = menuEntries(session_->contextMenuEntries());
    const int count = session["length"].as<int>();
    for (int i = 0; i < count; ++i) {
        entries.call<void>("push", session[i]);
    }
    entries.call<void>("push", menuEntry(kShareLinkEntry, userText(UserText::CopyShareLinkMenu)));
    return entries;
}

void WebPage::perform(int action, int item) {
    if (action < 0 || item < 0) {
        return;
    }
    session_->perform(static_cast<SessionAction>(action), static_cast<std::size_t>(item));
}

void WebPage::openDropped(const std::string& path) {
    dialogs_.openDropped(path);
    session_->perform(SessionAction::Open);
}

void WebPage::copyShareLink(const std::string& pageAddress) {
    session_->copyShareLink(decodeUtf8Lenient(pageAddress));
}

bool WebPage::openShared(const std::string& fragment) {
    return session_->openShared(fragment);
}

void WebPage::leaving() {
    dialogs_.leaving();
    session_->Form_QueryUnload([](bool) {});
}

val webFormTable() {
    val table = val::array();
    for (const ControlDesign& design : formTable()) {
        val control = val::object();
        control.set("name", design.name);
        control.set("index", design.index);
        control.set("kind", std::string(kindName(design.kind)));
        control.set("left", design.rect.left);
        control.set("top", design.rect.top);
        control.set("width", design.rect.width);
        control.set("height", design.rect.height);
        control.set("caption", utf8(design.caption));
        control.set("autoSize", design.autoSize);
        control.set("fore", cssColour(design.foreColour));
        control.set("back", cssColour(design.backColour));
        control.set("tabIndex", design.tabIndex);
        control.set("accessibleName", utf8(design.accessibleName));
        control.set("interval", design.interval);
        table.call<void>("push", control);
    }
    return table;
}

} // namespace quillon
