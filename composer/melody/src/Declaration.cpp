#include "Declaration.h"

namespace quillon::detail {
namespace {

using Type = PrefixToken::Type;

bool isPunct(const PrefixToken& t, char16_t c) {
    return t.type == Type::Punct && t.punct == c;
}

// Past a word and the parenthesized group that may follow it (an attribute's or a macro's
// arguments); 0 when the group never closes.
std::size_t afterWordGroup(const std::vector<PrefixToken>& t, std::size_t i, std::size_t end) {
    ++i;
    if (i == end || !isPunct(t[i], u'(')) {
        return i;
    }
    int depth = 0;
    for (; i < end; ++i) {
        depth += isPunct(t[i], u'(') ? 1 : isPunct(t[i], u')') ? -1 : 0;
        if (depth == 0) {
            return i + 1;
        }
    }
    return 0;
}

// [begin, end) is "words [ size ] words =".
bool isArrayHead(const std::vector<PrefixToken>& t, std::size_t i, std::size_t end) {
    std::size_t words = 0;
    while (i < end && t[i].type == Type::Word) {
        i = afterWordGroup(t, i, end);
        if (i == 0) {
            return false;
        }
        ++words;
    }
    if (words == 0 || i == end || !isPunct(t[i], u'[')) {
        return false;
    }
    for (++i; i < end && !isPunct(t[i], u']'); ++i) {
        if (isPunct(t[i], u'[') || isPunct(t[i], u'=') || isPunct(t[i], u';')) {
            return false;
        }
    }
    if (i == end) {
        return false;
    }
    for (++i; i < end && t[i].type == Type::Word;) {
        i = afterWordGroup(t, i, end);
        if (i == 0) {
            return false;
        }
    }
    return i + 1 == end && isPunct(t[i], u'=');
}

} // namespace

std::vector<Finding> checkDeclarations(const std::vector<PrefixToken>& tokens) {
    std::vector<Finding> findings;
    const auto notADeclaration = [&](std::size_t first, std::size_t end) {
        findings.push_back(
            {FindingKind::NotADeclaration, tokens[first].begin, tokens[end - 1].end});
    };
    std::size_t start = 0;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const bool brace = isPunct(tokens[i], u'}');
        if (!brace && !isPunct(tokens[i], u';')) {
            continue;
        }
        // A statement ended by ";" declares something if it starts with a word; one cut off by
        // a "}" never does.
        if (start < i && (brace || tokens[start].type != Type::Word)) {
            notADeclaration(start, i);
        }
        if (brace) {
            findings.push_back({FindingKind::BraceOutOfOrder, tokens[i].begin, tokens[i].end});
        }
        start = i + 1;
    }
    if (start < tokens.size() && !isArrayHead(tokens, start, tokens.size())) {
        notADeclaration(start, tokens.size());
    }
    return findings;
}

} // namespace quillon::detail
