; The setup program's own texts, German first, English second. The pages'
; standard texts come from the Modern UI's language files.

LangString WelcomeText ${LANG_GERMAN} "Dieser Assistent installiert das ZUV-Import-Plug-in KorvunZUV ${VERSION} für Korvun.$\r$\n$\r$\nKorvun lädt das Plug-in aus seinem Programmordner. Für die Staging-Datenbank braucht der Rechner außerdem den Datenbank-Client von Firebird (fbclient.dll) oder InterBase (gds32.dll).$\r$\n$\r$\nBeenden Sie Korvun, bevor Sie fortfahren."
LangString WelcomeText ${LANG_ENGLISH} "This wizard installs the ZUV import plug-in KorvunZUV ${VERSION} for Korvun.$\r$\n$\r$\nKorvun loads the plug-in from its program folder. For the staging database the computer also needs the Firebird (fbclient.dll) or InterBase (gds32.dll) database client.$\r$\n$\r$\nClose Korvun before you continue."

LangString HostDirHeader ${LANG_GERMAN} "Programmordner von Korvun"
LangString HostDirHeader ${LANG_ENGLISH} "Korvun's program folder"
LangString HostDirSubheader ${LANG_GERMAN} "Wohin kommen das Plug-in und seine Anleitung?"
LangString HostDirSubheader ${LANG_ENGLISH} "Where do the plug-in and its manual go?"
LangString HostDirText ${LANG_GERMAN} "Das Plug-in KorvunZUV.dll kommt in den Ordner, aus dem Korvun seine Import-Plug-ins lädt: den Programmordner von Korvun. Die Anleitung „Die Schnittstelle zur ZUV.pdf“ kommt in dessen Unterordner Korvun\ZUV, wo die Schaltfläche „Anleitung“ der Zugangsdaten sie öffnet."
LangString HostDirText ${LANG_ENGLISH} "The plug-in KorvunZUV.dll goes into the folder from which Korvun loads its import plug-ins: Korvun's program folder. The manual $\"Die Schnittstelle zur ZUV.pdf$\" goes into its subfolder Korvun\ZUV, where the access-data dialog's button $\"Anleitung$\" opens it."
LangString HostDirLabel ${LANG_GERMAN} "Programmordner von Korvun"
LangString HostDirLabel ${LANG_ENGLISH} "Korvun's program folder"

LangString DataDirHeader ${LANG_GERMAN} "Datenverzeichnis"
LangString DataDirHeader ${LANG_ENGLISH} "Data folder"
LangString DataDirSubheader ${LANG_GERMAN} "Wo legt das Plug-in seine Dateien ab?"
LangString DataDirSubheader ${LANG_ENGLISH} "Where does the plug-in keep its files?"
LangString DataDirText ${LANG_GERMAN} "Im Datenverzeichnis liegen die Spaltenzuordnungen BESTAND.txt und TRANSAKT.txt, die Staging-Datenbank FFBDB.IDB und die Fehlerprotokolle des Imports. Eine Aktualisierung ersetzt die Spaltenzuordnungen und behält Datenbank und Protokolle."
LangString DataDirText ${LANG_ENGLISH} "The data folder holds the column map files BESTAND.txt and TRANSAKT.txt, the staging database FFBDB.IDB and the import's error logs. An update replaces the column map files and keeps the database and the logs."
LangString DataDirLabel ${LANG_GERMAN} "Datenverzeichnis"
LangString DataDirLabel ${LANG_ENGLISH} "Data folder"

LangString BadTimeout ${LANG_GERMAN} "Ungültiger Wert für /TIMEOUT: „$0“. Erwartet werden Sekunden als ganze Zahl."
LangString BadTimeout ${LANG_ENGLISH} "Invalid value for /TIMEOUT: $\"$0$\". Expected: seconds as a whole number."
LangString SettingsNotWritten ${LANG_GERMAN} "Die Einstellungen unter HKEY_LOCAL_MACHINE\${SETTINGS_KEY} konnten nicht geschrieben werden. Führen Sie das Setup als Administrator aus."
LangString SettingsNotWritten ${LANG_ENGLISH} "The settings below HKEY_LOCAL_MACHINE\${SETTINGS_KEY} could not be written. Run the setup as an administrator."

LangString UnDataSection ${LANG_GERMAN} "Staging-Datenbank und Fehlerprotokolle löschen"
LangString UnDataSection ${LANG_ENGLISH} "Delete the staging database and the error logs"
LangString UnComponentsText ${LANG_GERMAN} "Das Plug-in, die Anleitung, die Spaltenzuordnungen und die Einstellungen werden entfernt. Die Staging-Datenbank und die Fehlerprotokolle im Datenverzeichnis bleiben erhalten, wenn Sie das Kästchen nicht ankreuzen."
LangString UnComponentsText ${LANG_ENGLISH} "The plug-in, the manual, the column map files and the settings are removed. The staging database and the error logs in the data folder stay unless you tick the box."
