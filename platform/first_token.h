// Portable: standard headers only. Never include <windows.h> here.
//
// The first token of a Windows command line, as Windows' own programs take their name from it:
// a token that begins with a double quote runs to the next double quote (or to the end, when
// none follows) without the quotes, and any other runs to the first blank or tab (so a command
// line that begins with a blank has an empty first token). Only an empty command line has no
// token at all: the program's module file name stands in for it. One rule for the ANSI command
// line and for the UTF-16 one that Windows NT holds.
#ifndef TOLVEX_PLATFORM_FIRST_TOKEN_H
#define TOLVEX_PLATFORM_FIRST_TOKEN_H

#include <cstddef>

namespace tolvex {

template <typename Char>
struct FirstToken {
  const Char* begin;   // inside the command line; the token is not terminated there
  std::size_t length;  // in characters of the line
  bool useModuleName;  // the command line was empty: ask for the module file name instead
};

template <typename Char>
FirstToken<Char> firstToken(const Char* commandLine) {
  FirstToken<Char> token{commandLine, 0, false};
  if (commandLine == nullptr || commandLine[0] == 0) {
    token.useModuleName = true;
    return token;
  }
  if (commandLine[0] == '"') {
    token.begin = commandLine + 1;
    while (token.begin[token.length] != 0 && token.begin[token.length] != '"') {
      ++token.length;
    }
    return token;
  }
  while (commandLine[token.length] != 0 && commandLine[token.length] != ' ' &&
         commandLine[token.length] != '\t') {
    ++token.length;
  }
  return token;
}

}  // namespace tolvex

#endif
