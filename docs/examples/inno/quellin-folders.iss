; An Inno Setup 6 installer that reads the standard folders of the machine from Quellin.dll,
; as a setup program would before it copies its files, and writes one line per slot,
; "slot name value", to a text file (UTF-8 with a byte-order mark). It installs nothing.
;
; Inno Setup 6 is Unicode only: the script declares the wide functions, QuellinGetFolderW
; with a String buffer, so that it sees a folder's true name also where the ANSI code page
; cannot write it. Setup loads the library from {tmp} at its first call (delayload); the
; current directory at that moment is the one Setup was started with, which need not be the
; installation source, so the script makes {src} the current directory first: the library
; then finds the source's setup\shfolder.dll. The slots are not counted here: the loop ends
; at the first slot number the library does not have (last error 87).
;
; Build (Inno Setup 6; from the release package, where Quellin.dll lies two folders up):
;   ISCC.exe examples\inno\quellin-folders.iss        (writes Output\quellin-folders.exe)
; Run from the installation source, silently:
;   quellin-folders.exe /VERYSILENT [/OUT=C:\path\to\folders.txt]
; Without /OUT the lines go to quellin-folders.txt in the temporary folder. Exit code 0 when
; the file was written, else 1 (Setup did not start: InitializeSetup returned False).

[Setup]
AppName=Quellin folders
AppVersion=1
CreateAppDir=no
Uninstallable=no
PrivilegesRequired=lowest
OutputBaseFilename=quellin-folders

[Files]
; Carried, not installed: Setup extracts it to {tmp} for the external functions below.
Source: "..\..\Quellin.dll"; Flags: dontcopy

[Code]
{ The library's wide functions. A String parameter is passed as a pointer to its characters,
  so the buffer must have its length (SetLength) before the call. Text the library returns
  (names, records) comes as a pointer, read with lstrlenW and lstrcpynW: Setup is a 32-bit
  program, and a Cardinal holds the pointer. }
function QuellinGetFolderW(Slot: Cardinal; Buffer: String; Size: Cardinal): Cardinal;
  external 'QuellinGetFolderW@files:Quellin.dll stdcall setuponly delayload';
function QuellinFolderNameW(Slot: Cardinal): Cardinal;
  external 'QuellinFolderNameW@files:Quellin.dll stdcall setuponly delayload';
function lstrlenW(Text: Cardinal): Integer;
  external 'lstrlenW@kernel32.dll stdcall';
function lstrcpynW(Buffer: String; Text: Cardinal; Size: Integer): Cardinal;
  external 'lstrcpynW@kernel32.dll stdcall';

{ The text at a pointer the library returned, '' for none. }
function TextAt(Text: Cardinal): String;
var
  Length: Integer;
begin
  Result := '';
  if Text = 0 then
    Exit;
  Length := lstrlenW(Text);
  SetLength(Result, Length + 1);
  lstrcpynW(Result, Text, Length + 1);
  SetLength(Result, Length);
end;

{ The slot's folder ('' for an empty slot); False for a slot number the library does not
  have. }
function QuellinFolder(Slot: Cardinal; var Folder: String): Boolean;
var
  Length: Cardinal;
begin
  SetLength(Folder, 260);
  Length := QuellinGetFolderW(Slot, Folder, 260);
  if Length > 260 then
  begin
    { Too long for the buffer: Length is the size needed, zero included. }
    SetLength(Folder, Length);
    Length := QuellinGetFolderW(Slot, Folder, Length);
  end;
  { 0 for every slot, 87 (ERROR_INVALID_PARAMETER) for a number past the last one. }
  Result := DLLGetLastError() = 0;
  if Result then
    SetLength(Folder, Length)
  else
    Folder := '';
end;

function InitializeSetup(): Boolean;
var
  Lines: TArrayOfString;
  Output, Folder, Previous: String;
  Slot: Cardinal;
begin
  { Before the first call, which loads the library: the installation source, where
    setup\shfolder.dll lies, as the current directory (the previous one is set again once
    the library is loaded). }
  Previous := GetCurrentDir();
  SetCurrentDir(ExpandConstant('{src}'));
  Slot := 0;
  while QuellinFolder(Slot, Folder) do
  begin
    SetArrayLength(Lines, Slot + 1);
    Lines[Slot] := IntToStr(Slot) + ' ' + TextAt(QuellinFolderNameW(Slot)) + ' ' + Folder;
    Slot := Slot + 1;
  end;
  SetCurrentDir(Previous);
  { Unloads the library (its table goes with it). }
  UnloadDLL(ExpandConstant('{tmp}\Quellin.dll'));

  Output := ExpandConstant('{param:OUT}');
  if Output = '' then
    Output := AddBackslash(GetTempDir()) + 'quellin-folders.txt';
  Result := (Slot > 0) and SaveStringsToUTF8File(Output, Lines, False);
  if not Result then
    Log('no folders written to ' + Output);
end;
