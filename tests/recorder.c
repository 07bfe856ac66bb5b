/* Stands in for the user's text editor under Wine: registered as the "open"
   command of .txt files, it appends the path it was given, in UTF-8, one per
   line, to the file that QUORVIN_RECORD names, and the size of the file it
   finds there to QUORVIN_RECORD.sizes. It reads its command line in UTF-16,
   as an editor does, so that no code page can change the path. */
#include <windows.h>
#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>

static int Append(const char* file, const char* text) {
  FILE* out = fopen(file, "ab");
  if (!out) return 1;
  fputs(text, out);
  return fclose(out) ? 1 : 0;
}

int main(void) {
  int count;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  const char* record = getenv("QUORVIN_RECORD");
  if (!record || !args || count < 2) return 2;
  WIN32_FILE_ATTRIBUTE_DATA data;
  const long size = GetFileAttributesExW(args[1], GetFileExInfoStandard, &data)
                        ? (long)data.nFileSizeLow : -1;
  char path[4 * 32768], line[64], sizes[4096];
  WideCharToMultiByte(CP_UTF8, 0, args[1], -1, path, sizeof path, NULL, NULL);
  snprintf(line, sizeof line, "%ld\n", size);
  snprintf(sizes, sizeof sizes, "%s.sizes", record);
  return Append(sizes, line) || Append(record, path) || Append(record, "\n");
}
