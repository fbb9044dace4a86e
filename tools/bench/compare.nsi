; The bench's yardstick: an NSIS installer of the same six files, with the same record and
; Start Menu items as setup.exe makes. makensis -DPAYLOAD=<dir of the expanded files> -DOUT=<exe>,
; and -DAMD64 for the x86-64 installer that the x86-64 setup.exe is compared with.
!ifdef AMD64
Unicode true
Target amd64-unicode
!define PROGRAMS "$PROGRAMFILES64"
!else
Unicode false
!define PROGRAMS "$PROGRAMFILES"
!endif
; -DZLIB: zlib, file by file, the quicker of NSIS's compressors to install.
!ifdef ZLIB
SetCompressor zlib
!else
SetCompressor /SOLID lzma
!endif
Name "Tarnwell"
OutFile "${OUT}"
InstallDir "${PROGRAMS}\Tarnwell"
RequestExecutionLevel admin
ShowInstDetails nevershow

Page directory
Page instfiles

!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Tarnwell"
!define COMMAND_TAIL '-f "$INSTDIR" -d "$INSTDIR" -g Tarnwell'

Section
    SetOutPath "$INSTDIR"
    File "${PAYLOAD}/tarnwell.exe"
    File "${PAYLOAD}/tarnwell.hlp"
    File "${PAYLOAD}/tarnwell.cnt"
    File "${PAYLOAD}/tarnwell.txt"
    File "${PAYLOAD}/removetw.exe"
    File "${PAYLOAD}/mib.txt"

    ; The record: WIN.INI section, settings key, uninstall entry.
    WriteINIStr "$WINDIR\win.ini" "Tarnwell" "DIR" "$INSTDIR"
    WriteINIStr "$WINDIR\win.ini" "Tarnwell" "DEFDIR" "$INSTDIR"
    WriteINIStr "$WINDIR\win.ini" "Tarnwell" "GROUP" "Tarnwell"
    WriteINIStr "$WINDIR\win.ini" "Tarnwell" "INSTOPTS" "1"
    WriteRegDWORD HKLM "Software\Ardenfel\Tarnwell\Settings" "Applets" 0
    WriteRegDWORD HKLM "Software\Ardenfel\Tarnwell\Settings" "RawSock" 0
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Ardenfel Tarnwell Uninstall"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\removetw.exe" ${COMMAND_TAIL}'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\removetw.exe" -s ${COMMAND_TAIL}'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "1.0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Ardenfel"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tarnwell.exe"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" 150
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

    ; The group and its four items, started in the installation directory.
    CreateDirectory "$SMPROGRAMS\Tarnwell"
    CreateShortCut "$SMPROGRAMS\Tarnwell\Tarnwell.lnk" "$INSTDIR\tarnwell.exe"
    CreateShortCut "$SMPROGRAMS\Tarnwell\Tarnwell Help File.lnk" "$INSTDIR\tarnwell.hlp"
    CreateShortCut "$SMPROGRAMS\Tarnwell\Tarnwell Release Notes.lnk" "$INSTDIR\tarnwell.txt"
    CreateShortCut "$SMPROGRAMS\Tarnwell\Uninstall Tarnwell.lnk" "$INSTDIR\removetw.exe"
SectionEnd
