// Roots of paths: the drive of a drive path, the share of a network path (found by trial
// connection and remembered for the life of the library).
#pragma once

#include "strings/Strings.h"

#include <windows.h>

#include <string>

// 'X:' for a drive path, '\\server\share...' for a network path, empty when there is neither.
std::string PathRoot(const std::string& path);
// The same for a wide path.
std::wstring PathRoot(const std::wstring& path);
// The first letter from 'F' to 'Z' that is not a present drive; empty when all are present.
std::string FindFreeDriveLetter();
// The drive of that letter ('A' to 'Z', either case) is present.
int DriveExists(char letter);
// A trial connection that the network refused: the candidate root, the drive letter mapped for
// it ('F:'), the network's answer, and the milliseconds it took to give it.
struct ShareTrial {
    std::string candidate;
    std::string localName;
    DWORD result;
    DWORD milliseconds;
};
// The refused trial of the share ('\\server\share') of a network path that no proven root
// covers; null when there is none. Makes no call.
const ShareTrial* RefusedShareTrial(const std::string& path);
// The share roots proven so far, in the order proven. Created by the first PathRoot call.
const CStringArray& ShareRootCache();
