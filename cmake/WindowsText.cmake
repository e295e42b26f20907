# cmake -D IN=<file> -D OUT=<file> -P WindowsText.cmake: a copy of a text file with CR LF line
# ends, as Notepad and other Windows editors expect.
file(READ "${IN}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUT}" "${text}")
