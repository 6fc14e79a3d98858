// Stands in for the CAD host: writes its command line, its arguments and its
// show mode to acad_args.txt beside itself, then ends. The file is written
// under another name first and renamed when complete.

#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  char self[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string dir(self, length);
  dir.erase(dir.find_last_of('\\') + 1);
  const std::string part = dir + "acad_args.part";
  const std::string done = dir + "acad_args.txt";

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  const unsigned show = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : 0xffffu;

  std::FILE* out = std::fopen(part.c_str(), "w");
  if (out == nullptr) return 1;
  std::fprintf(out, "ARGC=%d\n", argc);
  for (int k = 1; k < argc; ++k) std::fprintf(out, "ARGV%d=%s\n", k, argv[k]);
  std::fprintf(out, "CMDLINE=%s\n", GetCommandLineA());
  std::fprintf(out, "SHOW=%u\n", show);
  std::fclose(out);
  return MoveFileA(part.c_str(), done.c_str()) ? 0 : 1;
}
