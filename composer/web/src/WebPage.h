#pragma once

#include "WebCaption.h"
#include "WebDialogs.h"
#include "WebText.h"
#include "WebTimers.h"
#include "quillon/ComposerSession.h"

#include <emscripten/val.h>

#include <memory>
#include <string>

namespace quillon {

// The composer on a web page: the session over the page's controls. `face` is the page's
// object that carries out what the session asks (page.js); the page calls the members below for
// what the user does.
class WebPage {
public:
    explicit WebPage(emscripten::val face);
    ~WebPage();
    WebPage(const WebPage&) = delete;
    WebPage& operator=(const WebPage&) = delete;

    void load();
    // The control at `index` of the form table was clicked.
    void click(int index);
    // Text1's text changed by the user: `removed` units at `from` gave way to `inserted`.
    void textEdited(double from, double removed, const std::string& inserted, double lengthAfter);
    // The underlines reaching into [from, to): an array of {begin, end, error}.
    emscripten::val marksWithin(double from, double to) const;
    std::string tipAt(double index) const;
    // A key pressed, as the page's KeyboardEvent.key names it: true when the session took it.
    bool key(const std::string& name, bool ctrl, bool shift, bool alt, bool inText1);
    // Text1's context menu: the session's entries, nested, each {text, action, item, enabled,
    // checkable, checked, submenu}, with the page's own share entry after them.
    emscripten::val menu() const;
    void perform(int action, int item);
    bool canUndo() const { return session_->canUndo(); }
    bool canRedo() const { return session_->canRedo(); }

    void timerFired(int id) { timers_.fired(id); }
    void answerPath(int id, const std::string& path) { dialogs_.answerPath(id, path); }
    void answerClose(int id, int answer) { dialogs_.answerClose(id, answer); }
    void answerTune(int id, int row) { dialogs_.answerTune(id, row); }
    // A file dropped on the page, already in the page's file system: opened as Open opens one.
    void openDropped(const std::string& path);

    void copyShareLink(const std::string& pageAddress);
    bool openShared(const std::string& fragment);

    // The page is going away: the melody is kept now; nothing is asked.
    void leaving();

private:
    WebText text1_;
    WebCaption label3_;
    WebCaption form1_;
    WebDialogs dialogs_;
    WebTimers timers_;
    std::unique_ptr<SoundSink> sound_;
    std::unique_ptr<ComposerSession> session_;
};

// The form table for the page to draw: an array of {name, index, kind, left, top, width,
// height, caption, autoSize, fore, back, tabIndex, accessibleName, interval}, in table order.
emscripten::val webFormTable();

} // namespace quillon
