# Writes the user guide as a text file that Notepad shows right on every
# Windows from XP on: UTF-8 with a byte-order mark (without one, Notepad
# before Windows 10 may take the file for the ANSI code page) and CR LF line
# ends (Notepad before Windows 10 shows LF alone as no line break). The
# Markdown markup stays; it reads as plain text.
#   cmake -DSOURCE=docs/使用说明.md -DOUTPUT=.../使用说明.txt -P guide-as-text.cmake
file(READ "${SOURCE}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
string(ASCII 239 187 191 byte_order_mark)
file(WRITE "${OUTPUT}" "${byte_order_mark}${text}")
