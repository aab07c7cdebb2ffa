#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

// Feeds `text` to `feed` whole, or in pieces of 0..4 bytes (sizes taken from the contents in
// turn, never two empty ones in a row), each a string of its own, so that reading past a
// piece is caught.
template <typename Feed>
void feedInPieces(std::string_view text, bool inPieces, Feed&& feed) {
    std::string_view rest = text;
    bool lastEmpty = false;
    for (std::size_t turn = 0; !rest.empty(); ++turn) {
        std::size_t length =
            inPieces ? static_cast<unsigned char>(text[turn % text.size()]) % 5 : rest.size();
        length = std::min(lastEmpty ? std::max<std::size_t>(length, 1) : length, rest.size());
        lastEmpty = length == 0;
        feed(std::string(rest.substr(0, length)));
        rest.remove_prefix(length);
    }
}
