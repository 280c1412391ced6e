; An installer that reads the standard folders of the machine from Quellin.dll, as a setup
; program would before it copies its files, through the macros of Quellin.nsh: it carries the
; library, loads it with the installation source (its own folder) as the current directory, so
; that the library finds the source's setup\shfolder.dll, and writes one line per slot,
; "slot name value", to a text file. The slots are not counted here: the loop ends at the
; first slot number the library does not have.
;
; Unicode or ANSI, the same script: a Unicode installer (NSIS 3's default) reads the wide
; functions and sees a folder's true name, and writes UTF-16LE with a byte-order mark; an ANSI
; one reads the ANSI functions (a name the ANSI code page cannot write is a short name) and
; writes the ANSI code page.
;
; Build (NSIS 3; from the release package, where Quellin.nsh and Quellin.dll lie two folders
; up, as the defaults of Quellin.nsh expect):
;   makensis examples/nsis/quellin-folders.nsi                      Unicode
;   makensis -DINSTALLER_UNICODE=false examples/nsis/quellin-folders.nsi      ANSI
; Run from the installation source, silently:
;   quellin-folders.exe [/OUT=C:\path\to\folders.txt] [/RECORDS=C:\path\to\records.txt]
;                       [/ENTRIES=C:\path\to\entries.txt]
; Without /OUT the lines go to quellin-folders.txt in the temporary folder. /RECORDS writes
; what the library saw when it was loaded and, below a "slot name" line each, why each slot
; holds what it holds: the records' lines as the library gives them ("kind<TAB>detail<TAB>
; outcome", each ending with a line feed). /ENTRIES writes the same records as data, one line
; an entry: "record index outcome code" (record -1 the attach record; the outcome a number of
; Quellin.h's QUELLIN_RECORD_OUTCOMES, the code its Win32 error or HRESULT). Exit code 0 when the files were written, 2 when the
; library could not be loaded or a file not written.

!ifndef INSTALLER_UNICODE
  !define INSTALLER_UNICODE true
!endif
Unicode ${INSTALLER_UNICODE}
SilentInstall silent
RequestExecutionLevel user
Name "Quellin folders"

!ifndef OUTFILE
  !define OUTFILE "quellin-folders.exe"
!endif
OutFile "${OUTFILE}"

; Quellin.nsh from the release package's top folder; the library it carries is the
; Quellin.dll beside it, and the installation source is the installer's folder ($EXEDIR).
!addincludedir "..\.."
!include "Quellin.nsh"
!include "FileFunc.nsh"

!ifdef NSIS_UNICODE
  !define WriteText FileWriteUTF16LE
!else
  !define WriteText FileWrite
!endif

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
  ClearErrors
  ${GetOptions} $R0 "/RECORDS=" $R2
  IfErrors 0 +2
    StrCpy $R2 ""

  ClearErrors
  FileOpen $0 "$R1" w
  ${If} ${Errors}
    Push "cannot write $R1"
    Call Failed
  ${EndIf}
  !ifdef NSIS_UNICODE
    FileWriteUTF16LE /BOM $0 ""
  !endif
  ${If} $R2 != ""
    ClearErrors
    FileOpen $9 "$R2" w
    ${If} ${Errors}
      Push "cannot write $R2"
      Call Failed
    ${EndIf}
    !ifdef NSIS_UNICODE
      FileWriteUTF16LE /BOM $9 ""
    !endif
    ${QuellinAttachRecord} $7 $8
    ${If} ${Errors}
      Push "cannot load Quellin.dll: error $8"
      Call Failed
    ${EndIf}
    ${WriteText} $9 "$7"
  ${EndIf}

  StrCpy $1 0
  ${Do}
    ; The first macro that needs the library loads it; 87 (ERROR_INVALID_PARAMETER) is past
    ; the last slot.
    ${QuellinFolderName} $1 $5 $6
    ${If} $6 = 87
      ${ExitDo}
    ${ElseIf} $6 <> 0
      Push "cannot load Quellin.dll: error $6"
      Call Failed
    ${EndIf}
    ${QuellinGetFolder} $1 $2 $3
    ${If} ${Errors}
      Push "no folder for slot $1: error $3"
      Call Failed
    ${EndIf}
    ${WriteText} $0 "$1 $5 $2$\r$\n"
    ${If} $R2 != ""
      ; 234 (ERROR_MORE_DATA) would leave the record's beginning: written as it is.
      ${QuellinFolderSource} $1 $7 $8
      ${WriteText} $9 "$1 $5$\r$\n$7"
    ${EndIf}
    IntOp $1 $1 + 1
  ${Loop}
  FileClose $0
  ${If} $R2 != ""
    FileClose $9
  ${EndIf}

  ClearErrors
  ${GetOptions} $R0 "/ENTRIES=" $R3
  ${IfNot} ${Errors}
    ClearErrors
    FileOpen $9 "$R3" w
    ${If} ${Errors}
      Push "cannot write $R3"
      Call Failed
    ${EndIf}
    ; Every record, the attach record (-1) first, each entry until 259 (ERROR_NO_MORE_ITEMS).
    StrCpy $1 -1
    ${Do}
      StrCpy $2 0
      ${Do}
        ${QuellinRecordEntry} $1 $2 $3 $4 $6
        ${If} $6 <> 0
          ${ExitDo}
        ${EndIf}
        FileWrite $9 "$1 $2 $3 $4$\r$\n"
        IntOp $2 $2 + 1
      ${Loop}
      ${If} $6 = 87 ; past the last slot
      ${OrIf} $6 = 127 ; a library without the records as data
        ${ExitDo}
      ${EndIf}
      IntOp $1 $1 + 1
    ${Loop}
    FileClose $9
  ${EndIf}

  ; Unloads the library (its table goes with it), so that the plug-ins folder can be removed.
  ${QuellinUnload}
SectionEnd
