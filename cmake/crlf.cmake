# Copies a text file with CRLF line ends, whatever line ends it had:
#   cmake -DIN=source.txt -DOUT=copy.txt -P crlf.cmake
# Used for the README.txt of the release archive, which Windows users open in Notepad.
if(NOT DEFINED IN OR NOT DEFINED OUT)
  message(FATAL_ERROR "usage: cmake -DIN=FILE -DOUT=FILE -P crlf.cmake")
endif()
file(READ "${IN}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUT}" "${text}")
