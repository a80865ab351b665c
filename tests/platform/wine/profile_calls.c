/* The platform's own profile calls, for the differential test of the INI reading
   and writing: a Windows program run by Wine. It reads one command per line from
   standard input and answers each with one line:
     R <path> <section> <key>          the text GetPrivateProfileStringA returns
                                       (default "ERROR", buffer of 255)
     W <path> <section> <key> <value>  "1" or "0", what WritePrivateProfileStringA returns
   Fields and answers are hex-encoded bytes, so that any byte but NUL passes. */
#include <windows.h>
#include <stdio.h>
#include <string.h>

static char line[1 << 16];

/* Decodes the hex field at *cursor into out and moves past it and its blank. */
static char* field(char** cursor, char* out) {
  char* p = *cursor;
  char* o = out;
  unsigned byte;
  while (p[0] && p[0] != ' ' && p[0] != '\r' && p[0] != '\n' && sscanf(p, "%2x", &byte) == 1) {
    *o++ = (char)byte;
    p += 2;
  }
  *o = '\0';
  if (*p == ' ') ++p;
  *cursor = p;
  return out;
}

static void answer(const char* text) {
  for (; *text; ++text) printf("%02x", (unsigned char)*text);
  printf("\n");
}

int main(void) {
  static char path[4096], section[4096], key[4096], value[16384];
  char buffer[255];
  while (fgets(line, sizeof line, stdin)) {
    char* cursor = line + 2;
    field(&cursor, path);
    field(&cursor, section);
    field(&cursor, key);
    if (line[0] == 'W') {
      answer(WritePrivateProfileStringA(section, key, field(&cursor, value), path) ? "1" : "0");
    } else {
      memset(buffer, 0, sizeof buffer);
      GetPrivateProfileStringA(section, key, "ERROR", buffer, sizeof buffer, path);
      answer(buffer);
    }
  }
  return 0;
}
