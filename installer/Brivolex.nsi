; Brivolex's installer. Built by the CMake target "package" (scripts/package):
;   makensis -NOCD -DVERSION=1.0.0.1 -DSTAGE=<program folder> -DOUTFILE=<setup.exe>
;            -DUNINSTALL_LIST=<file> -DSOURCE_DIR=<sources> installer/Brivolex.nsi
; STAGE is the program folder cmake/StagePackage.cmake lays out; UNINSTALL_LIST the
; list of its files it writes. Silent with /S; /D=FOLDER (last, unquoted) chooses the
; folder. A 64-bit installer: Program Files and the registry are the 64-bit ones the
; program itself uses.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define PRODUCT "Brivolex"
!define PUBLISHER "Brivolex"
!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUNONCE_KEY "Software\Microsoft\Windows\CurrentVersion\RunOnce"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
; An installed copy is updated where it is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${SOURCE_DIR}/assets/Brivolex.ico"
!define MUI_UNICON "${SOURCE_DIR}/assets/Brivolex.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Brivolex.exe"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The installer speaks the user's language where it has it, English otherwise.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"
!include /CHARSET=UTF8 "${SOURCE_DIR}/installer/English.nsh"
!include /CHARSET=UTF8 "${SOURCE_DIR}/installer/German.nsh"

Section "Brivolex"
  SectionIn RO
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  ; The program folder as the program expects it beside itself. The user's own
  ; settings of the updater are kept when a new version is installed over an old one.
  File /r /x updatesetup.ini "${STAGE}/*"
  SetOverwrite off
  File "${STAGE}/updatesetup.ini"
  SetOverwrite on
  CreateDirectory "$INSTDIR\backup"

  ; The program's texts in the installer's language, unless the user chose one.
  ${If} $LANGUAGE == ${LANG_GERMAN}
    ReadINIStr $0 "$INSTDIR\setup.ini" "Main" "language"
    ${If} $0 == ""
      WriteINIStr "$INSTDIR\setup.ini" "Main" "language" "deu"
    ${EndIf}
  ${EndIf}

  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Brivolex.exe" "" \
    "$INSTDIR\Brivolex.exe" 0 SW_SHOWNORMAL "" "$(ShortcutDescription)"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Brivolex.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  ; The files the installer put in place, and those the program and its updater write
  ; beside themselves.
  !include "${UNINSTALL_LIST}"
  Delete "$INSTDIR\languages\_missing.txt"
  Delete "$INSTDIR\setup.ini"
  Delete "$INSTDIR\app.log"
  Delete "$INSTDIR\app2.log"
  Delete "$INSTDIR\app3.log"
  Delete "$INSTDIR\update.log"
  RMDir /r "$INSTDIR\update.staging"
  RMDir /r "$INSTDIR\update.old"
  RMDir "$INSTDIR\languages"
  Delete "$INSTDIR\${UNINSTALLER}"

  ; The backups are the user's: an empty folder goes, a full one stays unless the user
  ; says otherwise (a silent uninstall keeps it).
  RMDir "$INSTDIR\backup"
  ${If} ${FileExists} "$INSTDIR\backup\*.*"
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$(DeleteBackups)" /SD IDNO IDNO keep
    RMDir /r "$INSTDIR\backup"
    keep:
  ${EndIf}
  ; Only when nothing else is left in it.
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; The scheduled scan and the updater's calls the program registered.
  DeleteRegValue HKLM "${RUN_KEY}" "${PRODUCT}"
  DeleteRegValue HKLM "${RUNONCE_KEY}" "update_lustrant2"
  DeleteRegValue HKLM "${RUNONCE_KEY}" "update_lustrant3"
SectionEnd
