; Placeholder, to be replaced by the NSIS example: an installer that carries Quellin.dll, walks
; the slots with QuellinFolderName and QuellinGetFolder, and writes "slot name value" lines.
