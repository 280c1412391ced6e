; Quellin.nsh: the standard folders of the machine from Quellin.dll, for NSIS 3 installers,
; ANSI (Unicode false) or Unicode (Unicode true, NSIS 3's default), with no System::Call line
; in the script. The macros call the library's wide functions (W) in a Unicode installer, so
; that it sees a folder's true name, and its ANSI ones (A) in an ANSI installer.
;
;   !include "Quellin.nsh"
;
;   ${QuellinGetFolder} SLOT $VALUE $ERROR      the slot's folder ("" for an empty slot)
;   ${QuellinFolderName} SLOT $VALUE $ERROR     the slot's name ("PersonalFolder")
;   ${QuellinFolderSource} SLOT $VALUE $ERROR   why the slot holds what it holds: one line a
;                                               source, "kind<TAB>detail<TAB>outcome<LF>"
;   ${QuellinAttachRecord} $VALUE $ERROR        what the library saw when it was loaded
;   ${QuellinRecordEntry} RECORD INDEX $OUTCOME $CODE $ERROR
;                                               one entry of a record as data: its outcome
;                                               (QUELLIN_OUTCOME_..., Quellin.h) and its code,
;                                               the Win32 error, else the HRESULT, else 0
;   ${QuellinUnload}                            unloads the library (its table goes with it)
;
; SLOT is a number or a variable holding one (0 to 19; Quellin.h lists them). RECORD is a slot
; number, or -1 for the attach record; INDEX counts a record's entries from 0, in the order of
; its lines. Each macro leaves the text (or the entry's numbers) in $VALUE (or $OUTCOME and
; $CODE; an HRESULT as a negative number) and the last error in $ERROR, and the error flag set
; when $ERROR is not 0:
;
;   0     the text came (an empty slot is "" with 0)
;   87    ERROR_INVALID_PARAMETER: SLOT or RECORD is not in the table ($VALUE "")
;   259   ERROR_NO_MORE_ITEMS: INDEX is past the record's last entry ($OUTCOME and $CODE "")
;   122   ERROR_INSUFFICIENT_BUFFER: the folder needs more than NSIS_MAX_STRLEN characters
;         ($VALUE ""; no standard folder does)
;   234   ERROR_MORE_DATA: the record is longer than NSIS_MAX_STRLEN - 1 characters ($VALUE
;         holds its beginning)
;   else  the library was not loaded: the error of SetCurrentDirectory (the installation
;         source does not exist), of LoadLibrary (126 ERROR_MOD_NOT_FOUND, 193
;         ERROR_BAD_EXE_FORMAT) or 127 ERROR_PROC_NOT_FOUND (a Quellin.dll older than 1.1.0,
;         without the A and W functions); $VALUE "". The next macro tries again.
;
; The first macro that needs the library loads it: it copies the DLL it carries into
; $PLUGINSDIR (InitPluginsDir), makes the installation source the current directory with
; SetCurrentDirectory, so that the library finds the source's setup\shfolder.dll while it is
; attached, loads it with LoadLibrary, and sets the previous current directory again ($OUTDIR
; is not touched). The table is resolved then, once; ${QuellinUnload} frees the library with
; FreeLibrary, and a later macro loads it again, with a table resolved anew. The plug-ins folder
; can only be removed once the library is unloaded.
;
; The library's functions are called through the addresses GetProcAddress gives, not by the
; "$PLUGINSDIR\Quellin.dll::Function" form, which the System plug-in cannot parse when the
; temporary folder's path holds "(" or "," (a user named "Kim (Sales)").
;
; Defines, set before the !include (each has a default):
;   QUELLIN_DLL     the Quellin.dll the installer carries, at compile time; by default the one
;                   beside this file
;   QUELLIN_SOURCE  the installation source (the folder holding setup\shfolder.dll), at run
;                   time; by default $EXEDIR, the installer's own folder; it may name a variable
;
; The macros work in installer and uninstaller sections and functions alike; they keep the
; registers and the stack as they were.

!ifndef QUELLIN_NSH_INCLUDED
!define QUELLIN_NSH_INCLUDED

!include LogicLib.nsh

!ifndef QUELLIN_DLL
  !define QUELLIN_DLL "${__FILEDIR__}\Quellin.dll"
!endif
!ifndef QUELLIN_SOURCE
  !define QUELLIN_SOURCE "$EXEDIR"
!endif

; The library's functions and the Windows functions of the installer's own string type, which
; is also that of the System plug-in's "t".
!ifdef NSIS_UNICODE
  !define _QUELLIN_T W
!else
  !define _QUELLIN_T A
!endif

; The include's variables, declared at the first macro that needs them (so that a script that
; includes the file and uses no macro gets no warning).
!macro _QuellinVariables
  !ifndef _QUELLIN_VARIABLES
    !define _QUELLIN_VARIABLES
    Var /GLOBAL _QuellinModule        ; the library's handle, "" while it is not loaded
    Var /GLOBAL _QuellinGetFolderAt   ; the functions' addresses
    Var /GLOBAL _QuellinFolderNameAt
    Var /GLOBAL _QuellinFolderSourceAt
    Var /GLOBAL _QuellinAttachRecordAt
    Var /GLOBAL _QuellinError         ; the macro's result
    Var /GLOBAL _QuellinText
    Var /GLOBAL _QuellinNumber        ; a length, a pointer
    Var /GLOBAL _QuellinDirectory     ; the current directory before the load
    Var /GLOBAL _QuellinRecordEntryAt ; QuellinRecordEntry, looked up when first needed
    Var /GLOBAL _QuellinEntry         ; the entry's structure, while a macro reads it
  !endif
!macroend

; _QuellinFunction VARIABLE NAME: the address of the library's function NAME, or 0.
!macro _QuellinFunction _VARIABLE _NAME
  System::Call "kernel32::GetProcAddress(p $_QuellinModule, m $\"${_NAME}$\") p .s"
  Pop ${_VARIABLE}
  ${If} ${_VARIABLE} = 0
    StrCpy $_QuellinError 127 ; ERROR_PROC_NOT_FOUND
  ${EndIf}
!macroend

; Loads the library unless it is loaded: $_QuellinError 0, or the error that stopped it.
!macro _QuellinLoad
  !insertmacro _QuellinVariables
  StrCpy $_QuellinError 0
  ${If} $_QuellinModule == ""
    InitPluginsDir
    File "/oname=$PLUGINSDIR\Quellin.dll" "${QUELLIN_DLL}"
    ; The current directory, to be set again after the load (when it fits a variable).
    System::Call "kernel32::GetCurrentDirectory(i ${NSIS_MAX_STRLEN}, t .s) i .s"
    Pop $_QuellinNumber
    Pop $_QuellinDirectory
    ${If} $_QuellinNumber = 0
    ${OrIf} $_QuellinNumber >= ${NSIS_MAX_STRLEN}
      StrCpy $_QuellinDirectory ""
    ${EndIf}
    System::Call "kernel32::SetCurrentDirectory(t $\"${QUELLIN_SOURCE}$\") i .s ?e"
    Pop $_QuellinError
    Pop $_QuellinNumber
    ${If} $_QuellinNumber <> 0
      StrCpy $_QuellinError 0
      ; The library resolves its table here, while it is attached.
      System::Call "kernel32::LoadLibrary(t $\"$PLUGINSDIR\Quellin.dll$\") p .s ?e"
      Pop $_QuellinError
      Pop $_QuellinModule
      ${If} $_QuellinModule = 0
        StrCpy $_QuellinModule ""
      ${Else}
        StrCpy $_QuellinError 0
        !insertmacro _QuellinFunction $_QuellinGetFolderAt QuellinGetFolder${_QUELLIN_T}
        !insertmacro _QuellinFunction $_QuellinFolderNameAt QuellinFolderName${_QUELLIN_T}
        !insertmacro _QuellinFunction $_QuellinFolderSourceAt QuellinFolderSource${_QUELLIN_T}
        !insertmacro _QuellinFunction $_QuellinAttachRecordAt QuellinAttachRecord${_QUELLIN_T}
        ${If} $_QuellinError <> 0
          System::Call "kernel32::FreeLibrary(p $_QuellinModule)"
          StrCpy $_QuellinModule ""
        ${EndIf}
      ${EndIf}
    ${EndIf}
    ${If} $_QuellinDirectory != ""
      System::Call "kernel32::SetCurrentDirectory(t $\"$_QuellinDirectory$\")"
    ${EndIf}
  ${EndIf}
!macroend

; _QuellinResult VALUE ERROR: the macro's text and error into the script's variables, the
; error flag set when the error is not 0; no text with an error but ERROR_MORE_DATA.
!macro _QuellinResult _VALUE _ERROR
  ${If} $_QuellinError <> 0
  ${AndIf} $_QuellinError <> 234
    StrCpy $_QuellinText ""
  ${EndIf}
  StrCpy ${_VALUE} $_QuellinText
  StrCpy ${_ERROR} $_QuellinError
  ClearErrors
  ${If} $_QuellinError <> 0
    SetErrors
  ${EndIf}
!macroend

; _QuellinTextAt: the text at the pointer in $_QuellinNumber, as the library keeps it while it
; is loaded (null: ERROR_INVALID_PARAMETER).
!macro _QuellinTextAt
  ${If} $_QuellinNumber = 0
    StrCpy $_QuellinError 87 ; ERROR_INVALID_PARAMETER
  ${Else}
    System::Call "kernel32::lstrcpyn${_QUELLIN_T}(t .s, p $_QuellinNumber, i ${NSIS_MAX_STRLEN})"
    System::Call "kernel32::lstrlen${_QUELLIN_T}(p $_QuellinNumber) i .s"
    Pop $_QuellinNumber
    Pop $_QuellinText
    ${If} $_QuellinNumber >= ${NSIS_MAX_STRLEN}
      StrCpy $_QuellinError 234 ; ERROR_MORE_DATA: the beginning is kept
    ${EndIf}
  ${EndIf}
!macroend

!macro QuellinGetFolder _SLOT _VALUE _ERROR
  !verbose push
  !verbose 3
  !insertmacro _QuellinLoad
  ${If} $_QuellinError = 0
    System::Call "::$_QuellinGetFolderAt(i ${_SLOT}, t .s, i ${NSIS_MAX_STRLEN}) i .s ?e"
    Pop $_QuellinError
    Pop $_QuellinNumber
    Pop $_QuellinText
    ${If} $_QuellinError = 0
    ${AndIf} $_QuellinNumber >= ${NSIS_MAX_STRLEN}
      StrCpy $_QuellinError 122 ; ERROR_INSUFFICIENT_BUFFER
    ${EndIf}
  ${EndIf}
  !insertmacro _QuellinResult `${_VALUE}` `${_ERROR}`
  !verbose pop
!macroend
!define QuellinGetFolder "!insertmacro QuellinGetFolder"

!macro QuellinFolderName _SLOT _VALUE _ERROR
  !verbose push
  !verbose 3
  !insertmacro _QuellinLoad
  ${If} $_QuellinError = 0
    System::Call "::$_QuellinFolderNameAt(i ${_SLOT}) p .s"
    Pop $_QuellinNumber
    !insertmacro _QuellinTextAt
  ${EndIf}
  !insertmacro _QuellinResult `${_VALUE}` `${_ERROR}`
  !verbose pop
!macroend
!define QuellinFolderName "!insertmacro QuellinFolderName"

!macro QuellinFolderSource _SLOT _VALUE _ERROR
  !verbose push
  !verbose 3
  !insertmacro _QuellinLoad
  ${If} $_QuellinError = 0
    System::Call "::$_QuellinFolderSourceAt(i ${_SLOT}) p .s"
    Pop $_QuellinNumber
    !insertmacro _QuellinTextAt
  ${EndIf}
  !insertmacro _QuellinResult `${_VALUE}` `${_ERROR}`
  !verbose pop
!macroend
!define QuellinFolderSource "!insertmacro QuellinFolderSource"

!macro QuellinAttachRecord _VALUE _ERROR
  !verbose push
  !verbose 3
  !insertmacro _QuellinLoad
  ${If} $_QuellinError = 0
    System::Call "::$_QuellinAttachRecordAt() p .s"
    Pop $_QuellinNumber
    !insertmacro _QuellinTextAt
  ${EndIf}
  !insertmacro _QuellinResult `${_VALUE}` `${_ERROR}`
  !verbose pop
!macroend
!define QuellinAttachRecord "!insertmacro QuellinAttachRecord"

; The entry's structure, QUELLIN_RECORD_ENTRYA or W: fourteen DWORDs, then 3120 characters.
!ifdef NSIS_UNICODE
  !define _QUELLIN_ENTRY_SIZE 6296
!else
  !define _QUELLIN_ENTRY_SIZE 3176
!endif

!macro QuellinRecordEntry _RECORD _INDEX _OUTCOME _CODE _ERROR
  !verbose push
  !verbose 3
  !insertmacro _QuellinLoad
  StrCpy $_QuellinText ""
  StrCpy $_QuellinNumber ""
  ${If} $_QuellinError = 0
    ; A Quellin.dll before the records as data lacks it: 127 (ERROR_PROC_NOT_FOUND) here only.
    System::Call "kernel32::GetProcAddress(p $_QuellinModule, m $\"QuellinRecordEntry${_QUELLIN_T}$\") p .s"
    Pop $_QuellinRecordEntryAt
    ${If} $_QuellinRecordEntryAt = 0
      StrCpy $_QuellinError 127 ; ERROR_PROC_NOT_FOUND
    ${Else}
      System::Alloc ${_QUELLIN_ENTRY_SIZE}
      Pop $_QuellinEntry
      System::Call "*$_QuellinEntry(i ${_QUELLIN_ENTRY_SIZE})"
      System::Call "::$_QuellinRecordEntryAt(i ${_RECORD}, i ${_INDEX}, p $_QuellinEntry) i .s ?e"
      Pop $_QuellinError
      Pop $_QuellinNumber
      ${If} $_QuellinNumber <> 0
        StrCpy $_QuellinError 0
        ; cbSize, kind, outcome, qualities, error, result: the outputs come off the stack in
        ; the order of the fields.
        System::Call "*$_QuellinEntry(i, i, i .s, i, i .s, i .s)"
        Pop $_QuellinNumber ; the outcome
        Pop $_QuellinText   ; the Win32 error
        Pop $_QuellinError  ; the HRESULT
        ${If} $_QuellinText = 0
          StrCpy $_QuellinText $_QuellinError
        ${EndIf}
        StrCpy $_QuellinError 0
      ${Else}
        StrCpy $_QuellinNumber ""
      ${EndIf}
      System::Free $_QuellinEntry
    ${EndIf}
  ${EndIf}
  ${If} $_QuellinError <> 0
    StrCpy $_QuellinText ""
    StrCpy $_QuellinNumber ""
  ${EndIf}
  StrCpy ${_OUTCOME} $_QuellinNumber
  StrCpy ${_CODE} $_QuellinText
  StrCpy ${_ERROR} $_QuellinError
  ClearErrors
  ${If} $_QuellinError <> 0
    SetErrors
  ${EndIf}
  !verbose pop
!macroend
!define QuellinRecordEntry "!insertmacro QuellinRecordEntry"

!macro QuellinUnload
  !verbose push
  !verbose 3
  !insertmacro _QuellinVariables
  ${If} $_QuellinModule != ""
    System::Call "kernel32::FreeLibrary(p $_QuellinModule)"
    StrCpy $_QuellinModule ""
  ${EndIf}
  !verbose pop
!macroend
!define QuellinUnload "!insertmacro QuellinUnload"

!endif ; QUELLIN_NSH_INCLUDED
