// Runs the built twainscan.exe with arguments and collects its exit status and output.
#pragma once

#include <string>
#include <vector>

struct SToolRun {
    int nExit = -1;  // -1: did not end within the limit and was killed
    std::string sOut;
    std::string sErr;
};

SToolRun RunTool(const std::vector<std::wstring>& args, unsigned nMillis = 60000);
