// The page's way into the composer: the session and the form table, bound for JavaScript.
#include "WebPage.h"
#include "quillon/FormTable.h"
#include "quillon/MelodyFile.h"
#include "quillon/UserTexts.h"
#include "quillon/Utf8.h"

#include <emscripten/bind.h>

namespace {

// Where "bytes" stands once the count has grown: the session's rule, for the page's layout.
int webLabel5Left(int designedLeft, int countRight, int blank) {
    return quillon::label5Left(designedLeft, countRight, blank);
}

// What the page tells the user of its own: the browser refused to keep the melodies, or to
// write a file the user picked.
std::string melodiesNotKeptText() {
    return quillon::encodeUtf8(quillon::userText(quillon::UserText::MelodiesNotKept));
}
std::string cannotWriteText() {
    return quillon::encodeUtf8(quillon::fileProblemText(quillon::FileProblemKind::CannotWrite));
}

} // namespace

EMSCRIPTEN_BINDINGS(quillon) {
    using quillon::WebPage;
    emscripten::class_<WebPage>("WebPage")
        .constructor<emscripten::val>()
        .function("load", &WebPage::load)
        .function("click", &WebPage::click)
        .function("textEdited", &WebPage::textEdited)
        .function("marksWithin", &WebPage::marksWithin)
        .function("tipAt", &WebPage::tipAt)
        .function("key", &WebPage::key)
        .function("menu", &WebPage::menu)
        .function("perform", &WebPage::perform)
        .function("canUndo", &WebPage::canUndo)
        .function("canRedo", &WebPage::canRedo)
        .function("timerFired", &WebPage::timerFired)
        .function("answerPath", &WebPage::answerPath)
        .function("answerClose", &WebPage::answerClose)
        .function("answerTune", &WebPage::answerTune)
        .function("openDropped", &WebPage::openDropped)
        .function("copyShareLink", &WebPage::copyShareLink)
        .function("openShared", &WebPage::openShared)
        .function("leaving", &WebPage::leaving);
    emscripten::function("formTable", &quillon::webFormTable);
    emscripten::function("label5Left", &webLabel5Left);
    emscripten::function("melodiesNotKeptText", &melodiesNotKeptText);
    emscripten::function("cannotWriteText", &cannotWriteText);
}
