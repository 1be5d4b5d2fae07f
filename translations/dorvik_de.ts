<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Checksums</name>
    <message>
        <source>blank line</source>
        <translation>leere Zeile</translation>
    </message>
    <message>
        <source>NUL byte in the line</source>
        <translation>NUL-Byte in der Zeile</translation>
    </message>
    <message>
        <source>the checksum is not 64 hexadecimal digits</source>
        <translation>die Prüfsumme hat nicht 64 Hexadezimalziffern</translation>
    </message>
    <message>
        <source>no &quot;  &quot; or &quot; *&quot; after the checksum</source>
        <translation>kein „  “ oder „ *“ nach der Prüfsumme</translation>
    </message>
    <message>
        <source>no file name</source>
        <translation>kein Dateiname</translation>
    </message>
    <message>
        <source>unknown escape in the file name</source>
        <translation>unbekannte Escape-Sequenz im Dateinamen</translation>
    </message>
    <message>
        <source>no checksum lines</source>
        <translation>keine Prüfsummenzeilen</translation>
    </message>
    <message>
        <source>line %1: %2</source>
        <translation>Zeile %1: %2</translation>
    </message>
    <message>
        <source>%1: this piece is damaged; it does not match its checksum in %2.</source>
        <translation>%1: Dieses Teil ist beschädigt; es passt nicht zu seiner Prüfsumme in %2.</translation>
    </message>
    <message>
        <source>%1: this is not the checksum file of the set; it is far too large.</source>
        <translation>%1: Das ist nicht die Prüfsummendatei dieser Teile; sie ist viel zu groß.</translation>
    </message>
    <message>
        <source>%1: this is not a checksum file (%2).</source>
        <translation>%1: Das ist keine Prüfsummendatei (%2).</translation>
    </message>
    <message>
        <source>%1: the file lists %2 twice.</source>
        <translation>%1: Die Datei führt %2 zweimal auf.</translation>
    </message>
    <message>
        <source>%1: the file lists %2, which is not of this piece set.</source>
        <translation>%1: Die Datei führt %2 auf, was nicht zu diesen Teilen gehört.</translation>
    </message>
    <message>
        <source>%1: the file does not list %2 of this piece set.</source>
        <translation>%1: %2 gehört zu diesen Teilen, fehlt aber in der Datei.</translation>
    </message>
    <message>
        <source>%1: the file joined from the pieces does not match its checksum in %2.</source>
        <translation>%1: Die aus den Teilen zusammengefügte Datei passt nicht zu ihrer Prüfsumme in %2.</translation>
    </message>
    <message>
        <source>Nothing was written or deleted. Removing %1 lets the set join without this check.</source>
        <translation>Es wurde nichts geschrieben oder gelöscht. Wenn Sie %1 entfernen, werden die Teile ohne diese Prüfung zusammengefügt.</translation>
    </message>
    <message>
        <source>Nothing was written or deleted.</source>
        <translation>Es wurde nichts geschrieben oder gelöscht.</translation>
    </message>
    <message>
        <source>Hashing thread: %1</source>
        <translation>Prüfsummenberechnung: %1</translation>
    </message>
</context>
<context>
    <name>Files</name>
    <message>
        <source>%1: file ended before the expected length</source>
        <translation>%1: Die Datei endet vor der erwarteten Länge</translation>
    </message>
    <message>
        <source>%1: the file changed while it was being copied</source>
        <translation>%1: Die Datei hat sich beim Kopieren verändert</translation>
    </message>
    <message>
        <source>%1: negative length to copy</source>
        <translation>%1: Negative Länge beim Kopieren</translation>
    </message>
    <message>
        <source>%1: is the same file as %2</source>
        <translation>%1: ist dieselbe Datei wie %2</translation>
    </message>
    <message>
        <source>%1: Not a regular file</source>
        <translation>%1: Keine reguläre Datei</translation>
    </message>
    <message>
        <source>%1: this file would have %2 bytes; the %3 file system of %4 holds files of at most %5 bytes.</source>
        <translation>%1: Diese Datei hätte %2 Bytes; das Dateisystem %3 von %4 fasst Dateien von höchstens %5 Bytes.</translation>
    </message>
    <message>
        <source>%1: another run is writing this piece set</source>
        <translation>%1: Ein anderer Vorgang schreibt gerade diese Teile</translation>
    </message>
    <message>
        <source>%1: no file is being written</source>
        <translation>%1: Es wird keine Datei geschrieben</translation>
    </message>
</context>
<context>
    <name>Join</name>
    <message>
        <source>%1
 is successfully joined!</source>
        <translation>%1
wurde erfolgreich zusammengefügt!</translation>
    </message>
    <message>
        <source>Nothing was joined; the pieces are untouched.</source>
        <translation>Es wurde nichts zusammengefügt; die Teile sind unverändert.</translation>
    </message>
    <message>
        <source>The piece set is incomplete or damaged; nothing was joined.</source>
        <translation>Die Teile sind unvollständig oder beschädigt; es wurde nichts zusammengefügt.</translation>
    </message>
    <message>
        <source>%1: not the first piece of a split file; its name has to end in 000.</source>
        <translation>%1: Das ist nicht das erste Teil einer geteilten Datei; sein Name muss auf 000 enden.</translation>
    </message>
    <message>
        <source>%1: not the first piece of a split file; it does not end in a piece count and name.</source>
        <translation>%1: Das ist nicht das erste Teil einer geteilten Datei; es endet nicht mit Teileanzahl und Namen.</translation>
    </message>
    <message>
        <source>%1: the piece holds %2 data bytes, a size no split writes.</source>
        <translation>%1: Das Teil enthält %2 Datenbytes, eine Größe, die beim Teilen nie entsteht.</translation>
    </message>
    <message>
        <source>%1: the name ending &quot;%2&quot; stored in the piece cannot end a file name.</source>
        <translation>%1: Die im Teil gespeicherte Namensendung „%2“ kann keinen Dateinamen beenden.</translation>
    </message>
    <message>
        <source>%1: Not a regular file</source>
        <translation>%1: Keine reguläre Datei</translation>
    </message>
    <message>
        <source>%1: the piece has %2 bytes, %3 expected.</source>
        <translation>%1: Das Teil hat %2 Bytes, erwartet wurden %3.</translation>
    </message>
    <message>
        <source>%1: the last piece has %2 bytes, at least %3 expected.</source>
        <translation>%1: Das letzte Teil hat %2 Bytes, erwartet wurden mindestens %3.</translation>
    </message>
    <message>
        <source>%1: the joined file has %2 bytes, %3 expected</source>
        <translation>%1: Die zusammengefügte Datei hat %2 Bytes, erwartet wurden %3</translation>
    </message>
    <message>
        <source>%1 was joined, but it may not be safe on the disk yet; no piece was deleted.</source>
        <translation>%1 wurde zusammengefügt, ist aber vielleicht noch nicht sicher auf dem Datenträger; es wurde kein Teil gelöscht.</translation>
    </message>
    <message>
        <source>You have to select an *.000 file.</source>
        <translation>Sie müssen eine *.000-Datei auswählen.</translation>
    </message>
    <message>
        <source>%1 was joined, but it was not copied into %2; the joined file is where the pieces were.</source>
        <translation>%1 wurde zusammengefügt, aber nicht nach %2 kopiert; die zusammengefügte Datei liegt bei den Teilen.</translation>
    </message>
    <message>
        <source>The set cannot be joined as it is.</source>
        <translation>Die Teile lassen sich so nicht zusammenfügen.</translation>
    </message>
    <message>
        <source>Joining needs %1 bytes on %2,
but only %3 bytes are free there.</source>
        <translation>Zum Verbinden werden %1 Bytes auf %2 gebraucht,
dort sind aber nur %3 Bytes frei.</translation>
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
    <message>
        <source>Checking %1</source>
        <translation>%1 wird geprüft</translation>
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
    <message>
        <source>Choose another directory; nothing was installed.</source>
        <translation>Wählen Sie ein anderes Verzeichnis; es wurde nichts installiert.</translation>
    </message>
    <message>
        <source>Installing needs %1 bytes on %2,
but only %3 bytes are free there.</source>
        <translation>Zum Installieren werden %1 Bytes auf %2 gebraucht,
dort sind aber nur %3 Bytes frei.</translation>
    </message>
</context>
<context>
    <name>Split</name>
    <message>
        <source>Choose more pieces or another directory; nothing was written.</source>
        <translation>Wählen Sie mehr Teile oder ein anderes Verzeichnis; es wurde nichts geschrieben.</translation>
    </message>
    <message>
        <source>%1: the piece has %2 bytes, and only %3 bytes are free on %4.</source>
        <translation>%1: Das Teil hat %2 Bytes, auf %4 sind aber nur %3 Bytes frei.</translation>
    </message>
    <message>
        <source>No removable disk is mounted.
Retry after inserting the disk, or Cancel to skip the piece %1.</source>
        <translation>Es ist kein Wechseldatenträger eingehängt.
Legen Sie die Diskette ein und wählen Sie „Wiederholen“, oder „Abbrechen“, um das Teil %1 auszulassen.</translation>
    </message>
    <message>
        <source>Several removable disks are mounted: %1.
Retry after removing all but one, or Cancel to skip the piece %2.</source>
        <translation>Es sind mehrere Wechseldatenträger eingehängt: %1.
Entfernen Sie alle bis auf einen und wählen Sie „Wiederholen“, oder „Abbrechen“, um das Teil %2 auszulassen.</translation>
    </message>
    <message>
        <source>Nothing was written.</source>
        <translation>Es wurde nichts geschrieben.</translation>
    </message>
    <message>
        <source>The split was stopped; the pieces it had written were removed.</source>
        <translation>Das Teilen wurde abgebrochen; die bereits geschriebenen Teile wurden entfernt.</translation>
    </message>
    <message>
        <source>No file to split was chosen.</source>
        <translation>Es wurde keine zu teilende Datei gewählt.</translation>
    </message>
    <message>
        <source>The piece count %1 does not lie from 2 to 99.</source>
        <translation>Die Anzahl der Teile, %1, liegt nicht zwischen 2 und 99.</translation>
    </message>
    <message>
        <source>The splitted file can´t be less then 30 Kb.</source>
        <translation>Die Teile dürfen nicht kleiner als 30 KByte sein.</translation>
    </message>
    <message>
        <source>%1: the name must have at least three characters to be split.</source>
        <translation>%1: Der Name muss mindestens drei Zeichen haben, damit die Datei geteilt werden kann.</translation>
    </message>
    <message>
        <source>%1: the last three characters of the name, &quot;%2&quot;, cannot be stored in a piece set (only characters of Windows-1252 can).</source>
        <translation>%1: Die letzten drei Zeichen des Namens, „%2“, lassen sich nicht in den Teilen speichern (nur Zeichen aus Windows-1252).</translation>
    </message>
    <message>
        <source>No directory to split into was chosen.</source>
        <translation>Es wurde kein Verzeichnis für die Teile gewählt.</translation>
    </message>
    <message>
        <source>%1: this piece would replace the file being split.</source>
        <translation>%1: Dieses Teil würde die zu teilende Datei ersetzen.</translation>
    </message>
    <message>
        <source>Choose another directory to split into; nothing was written.</source>
        <translation>Wählen Sie ein anderes Verzeichnis für die Teile; es wurde nichts geschrieben.</translation>
    </message>
    <message>
        <source>The files will be larger than 1,4 Mb,
and will not fit on floppy disks.</source>
        <translation>Die Teile werden größer als 1,4 MByte
und passen nicht auf Disketten.</translation>
    </message>
    <message>
        <source>Nothing was changed; try again when the other run has finished.</source>
        <translation>Es wurde nichts geändert; versuchen Sie es erneut, wenn der andere Vorgang beendet ist.</translation>
    </message>
    <message>
        <source>Insert disk #%1</source>
        <translation>Legen Sie Diskette %1 ein</translation>
    </message>
    <message>
        <source>The checksum file %1 was not copied to the disk. Retry after changing the disk, or Cancel to go on without it.</source>
        <translation>Die Prüfsummendatei %1 wurde nicht auf die Diskette kopiert. Wechseln Sie die Diskette und wählen Sie „Wiederholen“, oder „Abbrechen“, um ohne sie fortzufahren.</translation>
    </message>
    <message>
        <source>The piece %1 was not copied to the disk. Retry after changing the disk, or Cancel to skip this piece.</source>
        <translation>Das Teil %1 wurde nicht auf die Diskette kopiert. Wechseln Sie die Diskette und wählen Sie „Wiederholen“, oder „Abbrechen“, um dieses Teil auszulassen.</translation>
    </message>
    <message>
        <source>%1
 is successfully splitted!</source>
        <translation>%1
wurde erfolgreich geteilt!</translation>
    </message>
    <message>
        <source>Splitting needs %1 bytes on %2,
but only %3 bytes are free there.</source>
        <translation>Zum Teilen werden %1 Bytes auf %2 gebraucht,
dort sind aber nur %3 Bytes frei.</translation>
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
