; Die eigenen Texte des Installationsprogramms auf Deutsch (UTF-8).
LangString ShortcutDescription ${LANG_GERMAN} "Findet Registrierungsfehler, defekte Verknüpfungen und alte temporäre Dateien"
LangString DeleteBackups ${LANG_GERMAN} "Der Ordner $INSTDIR\backup enthält Ihre Sicherungen der Registrierung.$\r$\n$\r$\nSollen die Sicherungen auch gelöscht werden?"
