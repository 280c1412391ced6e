; An installer that reads the standard folders of the machine from Quellin.dll, as a setup
; program would before it copies its files. It carries the library, loads it from the
; installation source (its own folder) as the current directory, so that the library finds
; the source's setup\shfolder.dll, and writes one line per slot, "slot name value", to a text
; file. The slots are not counted here: the loop ends where QuellinFolderName returns null.
;
; Build (Debian's nsis package):
;   makensis -DQUELLIN_DLL=path/to/Quellin.dll quellin-folders.nsi
; Run from the installation source, silently:
;   quellin-folders.exe [/OUT=C:\path\to\folders.txt]
; Without /OUT the lines go to quellin-folders.txt in the temporary folder. Exit code 0 when
; the file was written, 2 when the library could not be loaded or the file not written.
;
; Quellin.dll exports are stdcall and undecorated; the System plug-in calls them by name:
;   QuellinFolderName(slot) returns a pointer to the slot's name, null past the last slot;
;   QuellinGetFolder(slot, buffer, size) copies the slot's folder and returns its length.

Unicode false
SilentInstall silent
RequestExecutionLevel user
Name "Quellin folders"

!ifndef QUELLIN_DLL
  !define QUELLIN_DLL "Quellin.dll"
!endif
!ifndef OUTFILE
  !define OUTFILE "quellin-folders.exe"
!endif
OutFile "${OUTFILE}"

!include "FileFunc.nsh"

Function Failed
  Pop $R9
  DetailPrint "$R9"
  SetErrorLevel 2
  Quit
FunctionEnd

Section
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/OUT=" $R1
  IfErrors 0 +2
    StrCpy $R1 "$TEMP\quellin-folders.txt"

  InitPluginsDir
  File "/oname=$PLUGINSDIR\Quellin.dll" "${QUELLIN_DLL}"
  ; The library looks for setup\shfolder.dll under the current directory when it is loaded:
  ; SetOutPath makes the installation source the current directory.
  SetOutPath "$EXEDIR"

  ClearErrors
  FileOpen $0 "$R1" w
  IfErrors 0 +3
    Push "cannot write $R1"
    Call Failed

  StrCpy $1 0
  next:
    System::Call "$PLUGINSDIR\Quellin.dll::QuellinFolderName(i r1) p .r4"
    StrCmp $4 "error" 0 +3
      Push "cannot call QuellinFolderName in $PLUGINSDIR\Quellin.dll"
      Call Failed
    StrCmp $4 0 done
    System::Call "kernel32::lstrcpynA(t .r5, p r4, i ${NSIS_MAX_STRLEN}) p"
    System::Call "$PLUGINSDIR\Quellin.dll::QuellinGetFolder(i r1, t .r2, i ${NSIS_MAX_STRLEN}) i .r3"
    IntCmp $3 ${NSIS_MAX_STRLEN} 0 +3 0
      Push "the folder of slot $1 does not fit ${NSIS_MAX_STRLEN} characters"
      Call Failed
    FileWrite $0 "$1 $5 $2$\r$\n"
    IntOp $1 $1 + 1
    Goto next
  done:
  FileClose $0

  ; Unloads the library (its table goes with it), so that the plug-ins folder can be removed.
  System::Call "$PLUGINSDIR\Quellin.dll::QuellinFolderName(i 0) p ?u"
  SetOutPath "$TEMP"
SectionEnd
