// What the attach saw, as a record in the slot records' line format (FolderRecord.h), one line
// a fact:
//
//   current directory  GetCurrentDirectoryA   C:\Install Source
//   folder service     C:\...\setup\shfolder.dll   loaded: <the module's own file name>
//   windows            GetVersionExA          6.2 build 9200, NT family (platform 2)
//   wow64              IsWow64Process         a 32-bit process on 64-bit Windows
//   code page          GetACP                 1252
//   terminal server    IsTerminalServer       no
//   library            Quellin.dll            version 1.1.0
//   attach             GetTickCount           15 ms
#pragma once

#include "folders/FolderRecord.h"

class AttachContext;

// The record of the attach that the context saw, once every slot is resolved (it asks the
// code page, the WoW64 question if no resolver did, and the tick count): one entry a fact,
// its numbers in the entry's facts.
FolderRecord AttachRecordOf(AttachContext& context);
