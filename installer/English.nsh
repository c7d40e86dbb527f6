; The installer's own texts in English (UTF-8). MUI2 brings the texts of its pages.
LangString ShortcutDescription ${LANG_ENGLISH} "Finds registry problems, broken shortcuts and old temporary files"
LangString DeleteBackups ${LANG_ENGLISH} "The folder $INSTDIR\backup holds your registry backups.$\r$\n$\r$\nDelete the backups too?"
