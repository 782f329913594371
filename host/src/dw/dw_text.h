// Byte rules shared by the data-window source parser, Modify and Describe.
// Every scanner steps over a GBK lead byte and its trail byte together.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "formhost/dwobject.h"

namespace fh::dw {

// Letters, digits and _ . # $ % - : what a bare word is made of (besides
// double-byte characters).
bool is_word_byte(unsigned char c);

// Blank, tab, carriage return or line feed.
bool is_blank(char c);

// True for a non-empty text of word bytes and double-byte characters only,
// which the source may therefore carry without quotes.
bool is_bare_word(std::string_view s);

// Reads the quoted text whose opening quote is s[open]. Appends the text with
// ~" ~' ~~ ~t ~r ~n undone to `out`; any other ~ stays as it is. Answers the
// index after the closing quote, or npos when the text is not closed.
std::size_t read_quoted(std::string_view s, std::size_t open, std::string& out);

// The text inside `q` quotes, escaped so that read_quoted gives it back.
std::string write_quoted(std::string_view text, char q);

// The quote that can carry `text`: '"', or '\'' when a lead byte without a
// trail byte stands before a '"' (it would take the escape's '~' as its trail
// byte), or 0 when such lead bytes stand before both kinds of quote.
char quote_for(std::string_view text);

// The object a source file holds: "dir/d_01691.srd" gives "d_01691".
std::string source_name(std::string_view source);

// A text for a message, cut to at most `max` bytes on a character boundary
// ("..." marks the cut).
std::string shorten(std::string_view s, std::size_t max);

// Sets (or appends, in lowercase) a property.
void set_property(DwProperties& props, std::string_view name, std::string value);

}  // namespace fh::dw
