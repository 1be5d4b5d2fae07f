<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Join</name>
    <message>
        <source>%1
 is successfully joined!</source>
        <translation>%1
wurde erfolgreich zusammengefügt!</translation>
    </message>
</context>
<context>
    <name>Preview</name>
    <message>
        <source>%1 Bytes</source>
        <translation>%1 Byte</translation>
    </message>
    <message>
        <source>%1 Kbytes</source>
        <translation>%1 KByte</translation>
    </message>
    <message>
        <source>%1 Mbytes</source>
        <translation>%1 MByte</translation>
    </message>
    <message>
        <source>Size of %1
is %2. Splitting it into %3 pieces will give you %3 files with %4

If this is OK, Press the SPLIT button, otherwise press the QUIT button.</source>
        <translation>Größe von %1:
%2. In %3 Teile geteilt ergibt das %3 Dateien mit je %4

Wenn das passt, drücken Sie TEILEN, sonst BEENDEN.</translation>
    </message>
    <message>
        <source>Size of %1
cannot be measured:
%2</source>
        <translation>Die Größe von %1
kann nicht bestimmt werden:
%2</translation>
    </message>
</context>
<context>
    <name>Progress</name>
    <message>
        <source>Splitting %1 into %2 pieces</source>
        <translation>%1 wird in %2 Teile geteilt</translation>
    </message>
    <message>
        <source>Writing disk %1 of %2</source>
        <translation>Diskette %1 von %2 wird beschrieben</translation>
    </message>
    <message>
        <source>Joining %1</source>
        <translation>%1 wird zusammengefügt</translation>
    </message>
    <message>
        <source>Deleting the pieces</source>
        <translation>Die Teile werden gelöscht</translation>
    </message>
    <message>
        <source>Copying %1 to %2</source>
        <translation>%1 wird nach %2 kopiert</translation>
    </message>
    <message>
        <source>Piece %1 of %2</source>
        <translation>Teil %1 von %2</translation>
    </message>
    <message>
        <source>%1 GB/s</source>
        <translation>%1 GB/s</translation>
    </message>
    <message>
        <source>%1 MB/s</source>
        <translation>%1 MB/s</translation>
    </message>
    <message>
        <source>%1 kB/s</source>
        <translation>%1 kB/s</translation>
    </message>
    <message>
        <source>%1 bytes/s</source>
        <translation>%1 Byte/s</translation>
    </message>
    <message>
        <source>about %1 s left</source>
        <translation>noch etwa %1 s</translation>
    </message>
    <message>
        <source>about %1 min %2 s left</source>
        <translation>noch etwa %1 min %2 s</translation>
    </message>
    <message>
        <source>about %1 min left</source>
        <translation>noch etwa %1 min</translation>
    </message>
    <message>
        <source>about %1 h %2 min left</source>
        <translation>noch etwa %1 h %2 min</translation>
    </message>
    <message>
        <source>about %1 h left</source>
        <translation>noch etwa %1 h</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1, %2</translation>
    </message>
</context>
<context>
    <name>Setup</name>
    <message>
        <source>Directory:</source>
        <translation>Verzeichnis:</translation>
    </message>
    <message>
        <source>%1 is successfully installed!</source>
        <translation>%1 wurde erfolgreich installiert!</translation>
    </message>
    <message>
        <source>%1 could not be installed into %2.
%3</source>
        <translation>%1 konnte nicht in %2 installiert werden.
%3</translation>
    </message>
    <message>
        <source>Copying:</source>
        <translation>Kopieren:</translation>
    </message>
    <message>
        <source>Do you want to add the program to the program menu?</source>
        <translation>Möchten Sie das Programm ins Programmmenü aufnehmen?</translation>
    </message>
    <message>
        <source>%1 Setup</source>
        <translation>%1 Installation</translation>
    </message>
    <message>
        <source>Welcome to the %1 installation program.</source>
        <translation>Willkommen bei der Installation von %1.</translation>
    </message>
    <message>
        <source>Setup cannot install system files or update shared files if they are in use.
Before proceeding, we recommend that you close any applications you 
may be running.</source>
        <translation>Die Installation kann keine Systemdateien installieren und keine gemeinsam
genutzten Dateien ersetzen, solange sie verwendet werden. Bitte schließen
Sie vorher alle laufenden Anwendungen.</translation>
    </message>
    <message>
        <source>            Click the image to install %1 software into the specified 
             destination directory.

If you would like to install %1 into another directory, use 
the Browse button.</source>
        <translation>            Klicken Sie auf das Bild, um %1 in das angegebene
             Zielverzeichnis zu installieren.

Um %1 in ein anderes Verzeichnis zu installieren, wählen Sie
dieses mit „Durchsuchen“.</translation>
    </message>
    <message>
        <source>%1 to %2</source>
        <translation>%1 nach %2</translation>
    </message>
    <message>
        <source>Msvbvm50.dll: the system directory is unknown</source>
        <translation>Msvbvm50.dll: Das Systemverzeichnis ist unbekannt</translation>
    </message>
    <message>
        <source>%1: the installer&apos;s directory cannot be read</source>
        <translation>%1: Das Verzeichnis des Installationsprogramms kann nicht gelesen werden</translation>
    </message>
</context>
<context>
    <name>dorvik::setup::Form1</name>
    <message>
        <source>Setup</source>
        <translation>Installation</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Durchsuchen</translation>
    </message>
    <message>
        <source>Exit setup</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Install</source>
        <translation>Installieren</translation>
    </message>
    <message>
        <source>Install into the directory shown below</source>
        <translation>Installiert in das unten angezeigte Verzeichnis</translation>
    </message>
    <message>
        <source>Choose another directory to install into</source>
        <translation>Wählt ein anderes Installationsverzeichnis</translation>
    </message>
</context>
<context>
    <name>dorvik::setup::Form2</name>
    <message>
        <source>Filemeny</source>
        <translation>Verzeichnis wählen</translation>
    </message>
    <message>
        <source>Choose the installation directory</source>
        <translation>Installationsverzeichnis wählen</translation>
    </message>
    <message>
        <source>Path:</source>
        <translation>Pfad:</translation>
    </message>
    <message>
        <source>Drives:</source>
        <translation>Laufwerke:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Directories</source>
        <translation>Verzeichnisse</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>Install into a new directory in this path</source>
        <translation>In ein neues Verzeichnis in diesem Pfad installieren</translation>
    </message>
</context>
<context>
    <name>dorvik::setup::Form4</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Exit Setup</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Setup</source>
        <translation>Installation</translation>
    </message>
</context>
<context>
    <name>dorvik::splitter::Form1</name>
    <message>
        <source>Split file to directory:</source>
        <translation>Teile speichern in:</translation>
    </message>
    <message>
        <source>Split file into</source>
        <translation>Teilen in</translation>
    </message>
    <message>
        <source>File to split:</source>
        <translation>Zu teilende Datei:</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Durchsuchen</translation>
    </message>
    <message>
        <source>pieces:</source>
        <translation>Teile:</translation>
    </message>
    <message>
        <source>Copy splitted files to floppy disks?</source>
        <translation>Teile auf Disketten kopieren?</translation>
    </message>
    <message>
        <source>Delete splitted files?</source>
        <translation>Teile danach löschen?</translation>
    </message>
    <message>
        <source>Split</source>
        <translation>Teilen</translation>
    </message>
    <message>
        <source>Join</source>
        <translation>Verbinden</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Choose the file to split or the first piece to join</source>
        <translation>Wählt die zu teilende Datei oder das erste Teil zum Zusammenfügen</translation>
    </message>
    <message>
        <source>Choose the directory the pieces or the file go to</source>
        <translation>Wählt das Verzeichnis für die Teile oder die zusammengefügte Datei</translation>
    </message>
    <message>
        <source>Number of pieces</source>
        <translation>Anzahl der Teile</translation>
    </message>
    <message>
        <source>Size preview</source>
        <translation>Größenvorschau</translation>
    </message>
    <message>
        <source>File to join:</source>
        <translation>Erstes Teil:</translation>
    </message>
    <message>
        <source>Join files to directory:</source>
        <translation>Datei speichern in:</translation>
    </message>
</context>
<context>
    <name>dorvik::splitter::Form2</name>
    <message>
        <source>This file does not exist.</source>
        <translation>Diese Datei gibt es nicht.</translation>
    </message>
    <message>
        <source>This is not a file.</source>
        <translation>Das ist keine Datei.</translation>
    </message>
    <message>
        <source>This file cannot be read.</source>
        <translation>Diese Datei kann nicht gelesen werden.</translation>
    </message>
    <message>
        <source>Filemeny</source>
        <translation>Datei wählen</translation>
    </message>
    <message>
        <source>Choose a file</source>
        <translation>Datei wählen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>List files:</source>
        <translation>Dateitypen:</translation>
    </message>
    <message>
        <source>Drive:</source>
        <translation>Laufwerk:</translation>
    </message>
    <message>
        <source>File Name:</source>
        <translation>Dateiname:</translation>
    </message>
    <message>
        <source>Directorys:</source>
        <translation>Verzeichnisse:</translation>
    </message>
    <message>
        <source>Use the selected file</source>
        <translation>Die ausgewählte Datei übernehmen</translation>
    </message>
    <message>
        <source>(all files) *.*  </source>
        <translation>(alle Dateien) *.*  </translation>
    </message>
    <message>
        <source>You have to choose a file!</source>
        <translation>Sie müssen eine Datei auswählen!</translation>
    </message>
    <message>
        <source>%1
The file cannot be opened; choose another one.</source>
        <translation>%1
Die Datei kann nicht geöffnet werden; wählen Sie eine andere.</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>Directories</source>
        <translation>Verzeichnisse</translation>
    </message>
</context>
<context>
    <name>dorvik::splitter::Form3</name>
    <message>
        <source>Filemeny</source>
        <translation>Verzeichnis wählen</translation>
    </message>
    <message>
        <source>Choose a directory</source>
        <translation>Verzeichnis wählen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>New directory:</source>
        <translation>Neues Verzeichnis:</translation>
    </message>
    <message>
        <source>Create</source>
        <translation>Anlegen</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>Laufwerk</translation>
    </message>
    <message>
        <source>Directories</source>
        <translation>Verzeichnisse</translation>
    </message>
    <message>
        <source>Create the new directory in the opened one</source>
        <translation>Legt das neue Verzeichnis im geöffneten an</translation>
    </message>
    <message>
        <source>Use the chosen path</source>
        <translation>Den gewählten Pfad übernehmen</translation>
    </message>
</context>
<context>
    <name>dorvik::splitter::Form4</name>
    <message>
        <source>Dorvik %1
Splits a file into pieces and joins the pieces again.</source>
        <translation>Dorvik %1
Teilt eine Datei in Stücke und fügt die Stücke wieder zusammen.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>About Dorvik</source>
        <translation>Über Dorvik</translation>
    </message>
</context>
<context>
    <name>dorvik::widgets::DriveListBox</name>
    <message>
        <source>%1: the drive cannot be read</source>
        <translation>%1: Das Laufwerk kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>%1
The list stays on %2.</source>
        <translation>%1
Die Liste bleibt auf %2.</translation>
    </message>
</context>
<context>
    <name>dorvik::widgets::ProgressDialog</name>
    <message>
        <source>Progress</source>
        <translation>Fortschritt</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>%1 - %2</source>
        <translation>%1 – %2</translation>
    </message>
    <message>
        <source>Stopping...</source>
        <translation>Wird abgebrochen …</translation>
    </message>
</context>
</TS>
