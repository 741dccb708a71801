// Stands in for the browser and the mail program in the end-to-end tests: writes its command line
// to "tessarin e2e launch.txt" in the temporary folder, so a test can see what was launched
// without anything leaving the machine.

#include <windows.h>

#include <filesystem>
#include <fstream>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t folder[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, folder);
    char line[8192] = {};
    WideCharToMultiByte(CP_UTF8, 0, GetCommandLineW(), -1, line, static_cast<int>(sizeof(line)),
                        nullptr, nullptr);
    std::ofstream file(std::filesystem::path(folder) / L"tessarin e2e launch.txt");
    file << line;
    return file.good() ? 0 : 1;
}
