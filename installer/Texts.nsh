; The installer's own texts, in each of its languages. The pages themselves
; speak the texts that come with the installer's language files.

LangString KX_SEC_PROGRAM ${LANG_ENGLISH} "Karvex (required)"
LangString KX_SEC_PROGRAM ${LANG_GERMAN} "Karvex (erforderlich)"

LangString KX_SEC_MENU ${LANG_ENGLISH} "Explorer context menu"
LangString KX_SEC_MENU ${LANG_GERMAN} "Explorer-Kontextmenü"

LangString KX_SEC_SETTINGS ${LANG_ENGLISH} "Remove my settings"
LangString KX_SEC_SETTINGS ${LANG_GERMAN} "Meine Einstellungen entfernen"

LangString KX_MENU_ON ${LANG_ENGLISH} "Switching on the Explorer context menu..."
LangString KX_MENU_ON ${LANG_GERMAN} "Explorer-Kontextmenü wird eingeschaltet..."

LangString KX_MENU_OFF ${LANG_ENGLISH} "Switching off the Explorer context menu..."
LangString KX_MENU_OFF ${LANG_GERMAN} "Explorer-Kontextmenü wird ausgeschaltet..."

LangString KX_MENU_FAILED ${LANG_ENGLISH} "The Explorer context menu could not be switched on. Karvex can switch it on later from its main window."
LangString KX_MENU_FAILED ${LANG_GERMAN} "Das Explorer-Kontextmenü konnte nicht eingeschaltet werden. Karvex kann es später in seinem Hauptfenster einschalten."

LangString KX_NEED_ADMIN ${LANG_ENGLISH} "Karvex is installed for all users of this computer. Please start the setup as an administrator."
LangString KX_NEED_ADMIN ${LANG_GERMAN} "Karvex wird für alle Benutzer dieses Computers installiert. Bitte starten Sie das Setup als Administrator."
