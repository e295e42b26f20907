#pragma once

// Internal to the melody library: the reader behind readMelody and MelodyCheck, which can stop
// where it likes and go on later from a saved state.

#include "Constants.h"

#include "quillon/MelodyReader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace quillon::detail {

// Where the reader stands between two elements, all it needs to read on from there.
struct ReaderState {
    std::size_t pos = 0;
    // Everything at or beyond this index is still unread: the state holds for any text that
    // starts with the same [0, horizon) (a quote looks ahead to the end of its line; npos when
    // it ran into the end of the text).
    std::size_t horizon = 0;
    std::size_t lastTokenBegin = 0;
    std::size_t lastTokenEnd = 0;
    // Valid once ended: the index of the first element 0.
    std::size_t played = 0;
    std::uint8_t expect = 0;
    bool ended = false;
};

// A state saved on the way, with the sizes of the melody's elements and findings there.
struct ReaderCheckpoint {
    ReaderState state;
    std::size_t elements = 0;
    std::size_t findings = 0;
};

class InitializerReader {
public:
    // Reads into melody, which holds what the reader made before the state it goes on from.
    // When checkpoints is given, a state is saved there every so often between elements.
    InitializerReader(std::u16string_view text, Melody& melody,
                      std::vector<ReaderCheckpoint>* checkpoints);

    // From the start of the text, into an empty melody.
    void read();
    // From a saved state; melody holds exactly the elements and findings saved with it.
    void readFrom(const ReaderState& state);

    // The index in the melody's findings of the one finding placed after reading to the end
    // that may lie before the last checkpoint (NoClosingBrace), or npos.
    std::size_t lateFinding() const { return lateFinding_; }

    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

private:
    struct Span {
        std::size_t begin;
        std::size_t end;
    };
    struct Expression;

    std::size_t add(FindingKind kind, Span span);
    bool startsComment(std::size_t i, char16_t second) const;
    bool skipComment();
    void skipDirective();
    QuotedSpan quoted(std::size_t at);
    std::size_t quotedEnd(std::size_t at);
    bool findOpeningBrace();
    bool endsRun(std::size_t i) const;
    std::size_t runEnd(std::size_t from);
    bool readRun(std::size_t end, Expression& e);
    void skipBlanks();
    void readElements();
    void readElement();
    void element(const Expression& e, Span span, bool missingComma);
    void checkpoint(bool always);
    void finish();
    Span firstLine() const;
    Span lastNonBlank() const;

    std::u16string_view text_;
    Melody& melody_;
    std::vector<ReaderCheckpoint>* checkpoints_;
    ReaderState s_;
    std::size_t lastCheckpoint_ = 0;
    bool closed_ = false;
    bool openComment_ = false;
    // The last ' and the last " found open, each to where its line ends.
    Span openQuote_[2] = {{0, 0}, {0, 0}};
    std::size_t lateFinding_ = npos;
};

} // namespace quillon::detail
