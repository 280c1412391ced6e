// Roots of paths: the drive of a drive path, the share of a network path (found by trial
// connection and remembered for the life of the library).
#pragma once

#include "strings/Strings.h"

#include <string>

// 'X:' for a drive path, '\\server\share...' for a network path, empty when there is neither.
std::string PathRoot(const std::string& path);
// The first letter from 'F' to 'Z' that is not a present drive; empty when all are present.
std::string FindFreeDriveLetter();
// The drive of that letter ('A' to 'Z', either case) is present.
int DriveExists(char letter);
// The path is a network path whose share ('\\server\share') the network refused at a trial
// connection, and no proven root covers it. Makes no call.
int ShareRootRefused(const std::string& path);
// The share roots proven so far, in the order proven. Created by the first PathRoot call.
const CStringArray& ShareRootCache();
