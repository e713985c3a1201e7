<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
    <context>
        <name>Application</name>
        <message>
            <source>Unknown error.</source>
            <translation>Unbekannter Fehler.</translation>
        </message>
    </context>
    <context>
        <name>FileCheckList</name>
        <message>
            <source>File</source>
            <translation>Datei</translation>
        </message>
        <message>
            <source>State</source>
            <translation>Zustand</translation>
        </message>
    </context>
    <context>
        <name>FileDialogs</name>
        <message>
            <source>Supported Files(.mp3; .rmp; .wav)</source>
            <translation>Unterstützte Dateien (.mp3; .rmp; .wav)</translation>
        </message>
        <message>
            <source>Normal MP3 Files(.mp3)</source>
            <translation>Normale MP3-Dateien (.mp3)</translation>
        </message>
        <message>
            <source>RIFF/MP3(RMP3) Files(.rmp)</source>
            <translation>RIFF/MP3-Dateien (RMP3, .rmp)</translation>
        </message>
        <message>
            <source>RIFF/WAVE Files(.wav)</source>
            <translation>RIFF/WAVE-Dateien (.wav)</translation>
        </message>
        <message>
            <source>All files</source>
            <translation>Alle Dateien</translation>
        </message>
    </context>
    <context>
        <name>FontDialog</name>
        <message>
            <source>Black</source>
            <translation>Schwarz</translation>
        </message>
        <message>
            <source>Maroon</source>
            <translation>Kastanienbraun</translation>
        </message>
        <message>
            <source>Green</source>
            <translation>Grün</translation>
        </message>
        <message>
            <source>Olive</source>
            <translation>Oliv</translation>
        </message>
        <message>
            <source>Navy</source>
            <translation>Marineblau</translation>
        </message>
        <message>
            <source>Purple</source>
            <translation>Lila</translation>
        </message>
        <message>
            <source>Teal</source>
            <translation>Blaugrün</translation>
        </message>
        <message>
            <source>Gray</source>
            <translation>Grau</translation>
        </message>
        <message>
            <source>Silver</source>
            <translation>Silber</translation>
        </message>
        <message>
            <source>Red</source>
            <translation>Rot</translation>
        </message>
        <message>
            <source>Lime</source>
            <translation>Hellgrün</translation>
        </message>
        <message>
            <source>Yellow</source>
            <translation>Gelb</translation>
        </message>
        <message>
            <source>Blue</source>
            <translation>Blau</translation>
        </message>
        <message>
            <source>Fuchsia</source>
            <translation>Fuchsia</translation>
        </message>
        <message>
            <source>Aqua</source>
            <translation>Türkis</translation>
        </message>
        <message>
            <source>White</source>
            <translation>Weiß</translation>
        </message>
        <message>
            <source>Font</source>
            <translation>Schriftart</translation>
        </message>
        <message>
            <source> pt</source>
            <translation> pt</translation>
        </message>
        <message>
            <source>&amp;Bold</source>
            <translation>&amp;Fett</translation>
        </message>
        <message>
            <source>&amp;Italic</source>
            <translation>&amp;Kursiv</translation>
        </message>
        <message>
            <source>Stri&amp;keout</source>
            <translation>&amp;Durchgestrichen</translation>
        </message>
        <message>
            <source>&amp;Underline</source>
            <translation>&amp;Unterstrichen</translation>
        </message>
        <message>
            <source>Window text</source>
            <translation>Fenstertext</translation>
        </message>
        <message>
            <source>&amp;Font:</source>
            <translation>&amp;Schriftart:</translation>
        </message>
        <message>
            <source>&amp;Size:</source>
            <translation>&amp;Größe:</translation>
        </message>
        <message>
            <source>Style:</source>
            <translation>Stil:</translation>
        </message>
        <message>
            <source>&amp;Color:</source>
            <translation>Fa&amp;rbe:</translation>
        </message>
        <message>
            <source>Custom</source>
            <translation>Eigene</translation>
        </message>
    </context>
    <context>
        <name>Reason</name>
        <message>
            <source>cannot be opened for reading</source>
            <translation>kann nicht zum Lesen geöffnet werden</translation>
        </message>
        <message>
            <source>cannot be read (or is 2 GiB or larger)</source>
            <translation>kann nicht gelesen werden (oder ist 2 GiB oder größer)</translation>
        </message>
        <message>
            <source>cannot be saved</source>
            <translation>kann nicht gespeichert werden</translation>
        </message>
        <message>
            <source>no MPEG audio stream in the first 64 KiB of the audio</source>
            <translation>kein MPEG-Audiodatenstrom in den ersten 64 KiB der Audiodaten</translation>
        </message>
        <message>
            <source>RIFF file of neither RMP3 nor WAVE form</source>
            <translation>RIFF-Datei weder der Form RMP3 noch WAVE</translation>
        </message>
        <message>
            <source>WAVE file whose audio is not MPEG Layer 3</source>
            <translation>WAVE-Datei, deren Audiodaten nicht MPEG Layer 3 sind</translation>
        </message>
        <message>
            <source>WAVE file with PCM audio</source>
            <translation>WAVE-Datei mit PCM-Audiodaten</translation>
        </message>
        <message>
            <source>WAVE file without a data chunk</source>
            <translation>WAVE-Datei ohne data-Chunk</translation>
        </message>
        <message>
            <source>RMP3 file without a data chunk</source>
            <translation>RMP3-Datei ohne data-Chunk</translation>
        </message>
        <message>
            <source>a file of another container (MP4, Ogg, FLAC, Matroska or MPEG program stream)</source>
            <translation>eine Datei eines anderen Containers (MP4, Ogg, FLAC, Matroska oder MPEG-Programmstrom)</translation>
        </message>
        <message>
            <source>frame header with a reserved sample rate</source>
            <translation>Frame-Header mit reservierter Abtastrate</translation>
        </message>
        <message>
            <source>frame header with a free-format or bad bitrate, or a reserved layer</source>
            <translation>Frame-Header mit freier oder ungültiger Bitrate oder reserviertem Layer</translation>
        </message>
        <message>
            <source>no audio bytes to describe</source>
            <translation>keine Audiobytes zu beschreiben</translation>
        </message>
        <message>
            <source>more than 1 % (or 64 KiB) of the stream is junk between its frames</source>
            <translation>mehr als 1 % (oder 64 KiB) des Datenstroms sind Datenmüll zwischen seinen Frames</translation>
        </message>
        <message>
            <source>the header frame is no Xing or Info frame, or too short for its fields</source>
            <translation>der Header-Frame ist kein Xing- oder Info-Frame oder zu kurz für seine Felder</translation>
        </message>
        <message>
            <source>the header frame would not be found again: the junk after the ID3v2 tag looks like frames</source>
            <translation>der Header-Frame würde nicht wiedergefunden: der Datenmüll nach dem ID3v2-Tag sieht wie Frames aus</translation>
        </message>
        <message>
            <source>the mended header would not read back as right</source>
            <translation>der reparierte Header würde beim Lesen nicht als richtig erkannt</translation>
        </message>
        <message>
            <source>the header frame cannot be inserted</source>
            <translation>der Header-Frame kann nicht eingefügt werden</translation>
        </message>
        <message>
            <source>the header frame cannot be cut out</source>
            <translation>der Header-Frame kann nicht herausgeschnitten werden</translation>
        </message>
        <message>
            <source>unknown failure</source>
            <translation>unbekannter Fehler</translation>
        </message>
        <message>
            <source>2 GiB or more</source>
            <translation>2 GiB oder mehr</translation>
        </message>
        <message>
            <source>a RIFF file of another form: not MPEG audio</source>
            <translation>eine RIFF-Datei anderer Form: kein MPEG-Audio</translation>
        </message>
        <message>
            <source>PCM WAVE</source>
            <translation>PCM-WAVE</translation>
        </message>
        <message>
            <source>a WAVE file of another format: not MPEG audio</source>
            <translation>eine WAVE-Datei anderen Formats: kein MPEG-Audio</translation>
        </message>
        <message>
            <source>not MPEG audio: no frame sync in the first 64 KiB</source>
            <translation>kein MPEG-Audio: kein Frame-Sync in den ersten 64 KiB</translation>
        </message>
        <message>
            <source>no frame follows the header frame within the seek range</source>
            <translation>im Suchbereich folgt kein Frame auf den Header-Frame</translation>
        </message>
        <message>
            <source>changed since the folder scan</source>
            <translation>seit dem Durchsuchen des Ordners geändert</translation>
        </message>
        <message>
            <source>the file changed since it was read</source>
            <translation>die Datei wurde geändert, seit sie gelesen wurde</translation>
        </message>
        <message>
            <source>its last-write time cannot be kept: %1</source>
            <translation>ihre Änderungszeit kann nicht erhalten werden: %1</translation>
        </message>
        <message>
            <source>not a regular file</source>
            <translation>keine reguläre Datei</translation>
        </message>
        <message>
            <source>the file looks truncated</source>
            <translation>die Datei scheint abgeschnitten</translation>
        </message>
        <message>
            <source>Cannot open this File.</source>
            <translation>Diese Datei kann nicht geöffnet werden.</translation>
        </message>
        <message>
            <source>This file is not MPEG/Audio.</source>
            <translation>Diese Datei ist kein MPEG-Audio.</translation>
        </message>
        <message>
            <source>This file includes a VBR Header.</source>
            <translation>Diese Datei enthält einen VBR-Header.</translation>
        </message>
        <message>
            <source>This file includes no VBR header.</source>
            <translation>Diese Datei enthält keinen VBR-Header.</translation>
        </message>
        <message>
            <source>This file's VBR Header needs no fix.</source>
            <translation>Der VBR-Header dieser Datei muss nicht repariert werden.</translation>
        </message>
        <message>
            <source>Cannot Add/Remove a VBR Header.</source>
            <translation>VBR-Header kann nicht hinzugefügt/entfernt werden.</translation>
        </message>
        <message>
            <source>error %1: %2</source>
            <translation>Fehler %1: %2</translation>
        </message>
        <message>
            <source>truncated: the header says %1 frames, %2 are there</source>
            <translation>abgeschnitten: der Header nennt %L1 Frames, %L2 sind vorhanden</translation>
        </message>
        <message>
            <source>joined: the header says %1 frames, %2 are there</source>
            <translation>zusammengefügt: der Header nennt %L1 Frames, %L2 sind vorhanden</translation>
        </message>
        <message>
            <source>the header says %1 frames, %2 are there</source>
            <translation>der Header nennt %L1 Frames, %L2 sind vorhanden</translation>
        </message>
        <message>
            <source>byte count %1, stream %2 bytes</source>
            <translation>Byte-Zahl %L1, Datenstrom %L2 Bytes</translation>
        </message>
        <message>
            <source>the tag CRC does not match</source>
            <translation>die Tag-CRC stimmt nicht</translation>
        </message>
        <message>
            <source>RIFF sizes</source>
            <translation>RIFF-Größen</translation>
        </message>
        <message>
            <source>%1; %2</source>
            <translation>%1; %2</translation>
        </message>
    </context>
    <context>
        <name>RunCounter</name>
        <message>
            <source>Files the run has done, of the files it took</source>
            <translation>Bearbeitete Dateien von allen Dateien des Durchlaufs</translation>
        </message>
        <message numerus="yes">
            <source>%n Files</source>
            <translation>
                <numerusform>%n Datei</numerusform>
                <numerusform>%n Dateien</numerusform>
            </translation>
        </message>
        <message>
            <source>%1 of %2 file done</source>
            <translation>%1 von %2 Datei bearbeitet</translation>
        </message>
        <message numerus="yes">
            <source>%1 of %n files done</source>
            <translation>
                <numerusform>%1 von %n Datei bearbeitet</numerusform>
                <numerusform>%1 von %n Dateien bearbeitet</numerusform>
            </translation>
        </message>
    </context>
    <context>
        <name>RunLog</name>
        <message>
            <source>Undo Log</source>
            <translation>Rückgängig-Protokoll</translation>
        </message>
        <message>
            <source>This run cannot be undone: its log cannot be written.</source>
            <translation>Dieser Lauf kann nicht rückgängig gemacht werden: sein Protokoll kann nicht geschrieben werden.</translation>
        </message>
        <message>
            <source>There is no run to undo.</source>
            <translation>Es gibt keinen Lauf, der rückgängig gemacht werden kann.</translation>
        </message>
        <message numerus="yes">
            <source>%n file(s) put back as they were before the run.</source>
            <translation>
                <numerusform>%n Datei wiederhergestellt, wie sie vor dem Lauf war.</numerusform>
                <numerusform>%n Dateien wiederhergestellt, wie sie vor dem Lauf waren.</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n file(s) left as they are:</source>
            <translation>
                <numerusform>%n Datei unverändert gelassen:</numerusform>
                <numerusform>%n Dateien unverändert gelassen:</numerusform>
            </translation>
        </message>
        <message>
            <source>Undo Last Run</source>
            <translation>Letzten Lauf rückgängig machen</translation>
        </message>
        <message>
            <source>Undoing the last run...</source>
            <translation>Der letzte Lauf wird rückgängig gemacht...</translation>
        </message>
        <message>
            <source>&amp;Stop</source>
            <translation>&amp;Stopp</translation>
        </message>
        <message>
            <source>Stopping: the files in progress are finished first...</source>
            <translation>Wird angehalten: die begonnenen Dateien werden noch fertig...</translation>
        </message>
        <message>
            <source>Undoing the last run: %1 of %2 files</source>
            <translation>Der letzte Lauf wird rückgängig gemacht: %1 von %2 Dateien</translation>
        </message>
        <message>
            <source>The last run cannot be undone now.</source>
            <translation>Der letzte Lauf kann jetzt nicht rückgängig gemacht werden.</translation>
        </message>
        <message numerus="yes">
            <source>%n file(s) already as they were before the run.</source>
            <translation>
                <numerusform>%n Datei war schon, wie sie vor dem Lauf war.</numerusform>
                <numerusform>%n Dateien waren schon, wie sie vor dem Lauf waren.</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>Stopped: %n file(s) not reached, left as they are:</source>
            <translation>
                <numerusform>Angehalten: %n Datei nicht erreicht, unverändert gelassen:</numerusform>
                <numerusform>Angehalten: %n Dateien nicht erreicht, unverändert gelassen:</numerusform>
            </translation>
        </message>
    </context>
    <context>
        <name>TAboutBox</name>
        <message>
            <source>Version Information</source>
            <translation>Versionsinformationen</translation>
        </message>
        <message>
            <source>&amp;OK</source>
            <translation>&amp;OK</translation>
        </message>
        <message>
            <source>&amp;WebSite</source>
            <translation>&amp;Webseite</translation>
        </message>
        <message>
            <source>Version %1</source>
            <translation>Version %1</translation>
        </message>
        <message>
            <source>This program may damage your files</source>
            <translation>Dieses Programm kann Ihre Dateien beschädigen</translation>
        </message>
        <message>
            <source>Use it at your own lisk</source>
            <translation>Benutzung auf eigene Gefahr</translation>
        </message>
    </context>
    <context>
        <name>TDetailsDBox</name>
        <message>
            <source>Right: it matches the stream</source>
            <translation>Richtig: passt zum Datenstrom</translation>
        </message>
        <message>
            <source>Stale: %1</source>
            <translation>Veraltet: %1</translation>
        </message>
        <message>
            <source>Missing: a variable-bitrate stream without a header</source>
            <translation>Fehlt: ein Datenstrom mit variabler Bitrate ohne Header</translation>
        </message>
        <message>
            <source>Not needed: a constant-bitrate stream</source>
            <translation>Nicht nötig: ein Datenstrom mit konstanter Bitrate</translation>
        </message>
        <message>
            <source>Unreadable: %1</source>
            <translation>Unlesbar: %1</translation>
        </message>
        <message>
            <source>none</source>
            <comment>no header frame</comment>
            <translation>keiner</translation>
        </message>
        <message>
            <source>%1, %2 frames, %3 bytes, %4</source>
            <translation>%1, %2 Frames, %3 Bytes, %4</translation>
        </message>
        <message>
            <source>seek table</source>
            <translation>mit Sprungtabelle</translation>
        </message>
        <message>
            <source>no seek table</source>
            <translation>ohne Sprungtabelle</translation>
        </message>
        <message>
            <source>%1 frames, %2 bytes, %3 s, Layer %4, %5</source>
            <translation>%L1 Frames, %L2 Bytes, %L3 s, Layer %4, %5</translation>
        </message>
        <message>
            <source>variable bitrate</source>
            <translation>variable Bitrate</translation>
        </message>
        <message>
            <source>constant bitrate</source>
            <translation>konstante Bitrate</translation>
        </message>
        <message>
            <source>, in a RIFF WAVE file</source>
            <translation>, in einer RIFF-WAVE-Datei</translation>
        </message>
        <message>
            <source>, in a RIFF RMP3 file</source>
            <translation>, in einer RIFF-RMP3-Datei</translation>
        </message>
        <message>
            <source>not recorded</source>
            <translation>nicht vermerkt</translation>
        </message>
        <message>
            <source>unnamed</source>
            <translation>ohne Namen</translation>
        </message>
        <message>
            <source>%1, delay %2 samples, padding %3 samples</source>
            <translation>%1, Verzögerung %L2 Samples, Auffüllung %L3 Samples</translation>
        </message>
        <message>
            <source>peak %1</source>
            <translation>Spitzenpegel %L1</translation>
        </message>
        <message>
            <source>none</source>
            <comment>no ReplayGain</comment>
            <translation>keiner</translation>
        </message>
        <message>
            <source>ID3v2 (%1 bytes)</source>
            <translation>ID3v2 (%L1 Bytes)</translation>
        </message>
        <message>
            <source>%1 (%2 bytes)</source>
            <translation>%1 (%L2 Bytes)</translation>
        </message>
        <message>
            <source>none</source>
            <comment>no tags</comment>
            <translation>keine</translation>
        </message>
        <message>
            <source>%1 bytes before the first frame</source>
            <translation>%L1 Bytes vor dem ersten Frame</translation>
        </message>
        <message>
            <source>%1 bytes in %2 places inside the stream</source>
            <translation>%L1 Bytes an %L2 Stellen im Datenstrom</translation>
        </message>
        <message>
            <source>%1 bytes at its end</source>
            <translation>%L1 Bytes an seinem Ende</translation>
        </message>
        <message>
            <source>none</source>
            <comment>no junk</comment>
            <translation>keine</translation>
        </message>
        <message>
            <source>&amp;VBR header:</source>
            <translation>&amp;VBR-Header:</translation>
        </message>
        <message>
            <source>&amp;Header frame:</source>
            <translation>&amp;Header-Frame:</translation>
        </message>
        <message>
            <source>&amp;Stream:</source>
            <translation>&amp;Datenstrom:</translation>
        </message>
        <message>
            <source>&amp;Encoder:</source>
            <translation>&amp;Encoder:</translation>
        </message>
        <message>
            <source>&amp;ReplayGain:</source>
            <translation>&amp;ReplayGain:</translation>
        </message>
        <message>
            <source>&amp;Tags:</source>
            <translation>&amp;Tags:</translation>
        </message>
        <message>
            <source>&amp;Junk:</source>
            <translation>&amp;Fremddaten:</translation>
        </message>
        <message>
            <source>&amp;Close</source>
            <translation>&amp;Schließen</translation>
        </message>
        <message>
            <source>%1 - Details</source>
            <translation>%1 – Details</translation>
        </message>
        <message>
            <source>track %1%2 dB</source>
            <translation>Titel %1%L2 dB</translation>
        </message>
        <message>
            <source>album %1%2 dB</source>
            <translation>Album %1%L2 dB</translation>
        </message>
        <message>
            <source>%1</source>
            <comment>a count of the header</comment>
            <translation>%L1</translation>
        </message>
        <message>
            <source>cannot be walked (%1)</source>
            <translation>nicht durchlaufbar (%1)</translation>
        </message>
    </context>
    <context>
        <name>TErrorDBox</name>
        <message>
            <source>Cannot Add/Remove a VBR Header.</source>
            <translation>VBR-Header kann nicht hinzugefügt/entfernt werden.</translation>
        </message>
        <message>
            <source>&amp;OK</source>
            <translation>&amp;OK</translation>
        </message>
    </context>
    <context>
        <name>TForm1</name>
        <message>
            <source>Cannot open this file.</source>
            <translation>Diese Datei kann nicht geöffnet werden.</translation>
        </message>
        <message>
            <source>This file is not MPEG/Audio file.</source>
            <translation>Diese Datei ist keine MPEG-Audiodatei.</translation>
        </message>
        <message>
            <source>Cannot Add/Remove a VBR Header.</source>
            <translation>VBR-Header kann nicht hinzugefügt/entfernt werden.</translation>
        </message>
        <message>
            <source>This File includes a VBR Header Now.</source>
            <translation>Diese Datei enthält jetzt einen VBR-Header.</translation>
        </message>
        <message>
            <source>This File includes no VBR Header Now.</source>
            <translation>Diese Datei enthält jetzt keinen VBR-Header.</translation>
        </message>
        <message>
            <source>This File's VBR Header is right Now.</source>
            <translation>Der VBR-Header dieser Datei ist jetzt richtig.</translation>
        </message>
        <message>
            <source>&amp;Open...</source>
            <translation>Ö&amp;ffnen...</translation>
        </message>
        <message>
            <source>&amp;Save</source>
            <translation>&amp;Speichern</translation>
        </message>
        <message>
            <source>&amp;Fix VBR Header</source>
            <translation>VBR-Header &amp;reparieren</translation>
        </message>
        <message>
            <source>&amp;Details...</source>
            <translation>&amp;Details...</translation>
        </message>
        <message>
            <source>&amp;Multiple...</source>
            <translation>&amp;Mehrere Dateien...</translation>
        </message>
        <message>
            <source>E&amp;xit</source>
            <translation>&amp;Beenden</translation>
        </message>
        <message>
            <source>&amp;About...</source>
            <translation>Ü&amp;ber...</translation>
        </message>
        <message>
            <source>O&amp;ther...</source>
            <translation>&amp;Weitere...</translation>
        </message>
        <message>
            <source>&amp;Font...</source>
            <translation>&amp;Schriftart...</translation>
        </message>
        <message>
            <source>&amp;File</source>
            <translation>&amp;Datei</translation>
        </message>
        <message>
            <source>&amp;Settings</source>
            <translation>&amp;Einstellungen</translation>
        </message>
        <message>
            <source>&amp;Help</source>
            <translation>&amp;Hilfe</translation>
        </message>
        <message>
            <source>Toolbar</source>
            <translation>Werkzeugleiste</translation>
        </message>
        <message>
            <source>Open a file, or add or remove its VBR header</source>
            <translation>Eine Datei öffnen oder ihren VBR-Header hinzufügen oder entfernen</translation>
        </message>
        <message>
            <source>Open a file (%1)</source>
            <translation>Datei öffnen (%1)</translation>
        </message>
        <message>
            <source>Open</source>
            <translation>Öffnen</translation>
        </message>
        <message>
            <source>Opens an MP3, RMP3 or WAVE file</source>
            <translation>Öffnet eine MP3-, RMP3- oder WAVE-Datei</translation>
        </message>
        <message>
            <source>Add or remove the VBR header (%1)</source>
            <translation>VBR-Header hinzufügen oder entfernen (%1)</translation>
        </message>
        <message>
            <source>Adds or removes the VBR header of the open file</source>
            <translation>Fügt der geöffneten Datei einen VBR-Header hinzu oder entfernt ihn</translation>
        </message>
        <message>
            <source> File </source>
            <translation> Datei </translation>
        </message>
        <message>
            <source>&amp;Path:</source>
            <translation>&amp;Pfad:</translation>
        </message>
        <message>
            <source>Status:</source>
            <translation>Status:</translation>
        </message>
        <message>
            <source>&amp;Add VBR Header</source>
            <translation>VBR-Header &amp;hinzufügen</translation>
        </message>
        <message>
            <source>&amp;Remove VBR Header</source>
            <translation>VBR-Header &amp;entfernen</translation>
        </message>
        <message>
            <source>This File includes no VBR Header.</source>
            <translation>Diese Datei enthält keinen VBR-Header.</translation>
        </message>
        <message>
            <source>This File includes a VBR Header.</source>
            <translation>Diese Datei enthält einen VBR-Header.</translation>
        </message>
        <message>
            <source>&amp;Undo Last Run</source>
            <translation>&amp;Letzten Lauf rückgängig machen</translation>
        </message>
        <message>
            <source>Header fixed; the File looks truncated.</source>
            <translation>Header repariert; Datei scheint abgeschnitten.</translation>
        </message>
    </context>
    <context>
        <name>TMultiErrorDBox</name>
        <message>
            <source>Do you want to continue to rewrite other files?</source>
            <translation>Möchten Sie mit den übrigen Dateien fortfahren?</translation>
        </message>
        <message>
            <source>C&amp;ontinue</source>
            <translation>&amp;Fortfahren</translation>
        </message>
        <message>
            <source>&amp;Cancel</source>
            <translation>&amp;Abbrechen</translation>
        </message>
    </context>
    <context>
        <name>TMultiFileDBox</name>
        <message>
            <source>A&amp;dd</source>
            <translation>Hin&amp;zufügen</translation>
        </message>
        <message>
            <source>Re&amp;move</source>
            <translation>Ent&amp;fernen</translation>
        </message>
        <message>
            <source>F&amp;ix</source>
            <translation>Re&amp;parieren</translation>
        </message>
        <message>
            <source>&amp;Browse</source>
            <translation>&amp;Durchsuchen</translation>
        </message>
        <message>
            <source>Rewrites</source>
            <translation>Bearbeiten</translation>
        </message>
        <message>
            <source>Check all</source>
            <translation>Alle markieren</translation>
        </message>
        <message>
            <source>Uncheck all</source>
            <translation>Alle Markierungen entfernen</translation>
        </message>
        <message>
            <source>Rewrited:</source>
            <translation>Bearbeitet:</translation>
        </message>
        <message>
            <source>Progress</source>
            <translation>Fortschritt</translation>
        </message>
        <message>
            <source>Files</source>
            <translation>Dateien</translation>
        </message>
        <message>
            <source>Select MPEG/Audio files you want to add/remove a VBR header..</source>
            <translation>MPEG-Audiodateien wählen, deren VBR-Header hinzugefügt oder entfernt werden soll</translation>
        </message>
        <message>
            <source>Multiple File Mode</source>
            <translation>Mehrere Dateien</translation>
        </message>
        <message>
            <source>&amp;Add</source>
            <translation>&amp;Hinzufügen</translation>
        </message>
        <message>
            <source>&amp;Remove</source>
            <translation>&amp;Entfernen</translation>
        </message>
        <message>
            <source>Fi&amp;x</source>
            <translation>&amp;Reparieren</translation>
        </message>
        <message>
            <source>&amp;Folder</source>
            <translation>&amp;Ordner</translation>
        </message>
        <message>
            <source>&amp;Cancel</source>
            <translation>&amp;Abbrechen</translation>
        </message>
        <message>
            <source>&amp;Stop</source>
            <translation>&amp;Stopp</translation>
        </message>
        <message>
            <source>Rewriting: </source>
            <translation>Bearbeite: </translation>
        </message>
        <message>
            <source>Rewrite OK</source>
            <translation>Bearbeitung abgeschlossen</translation>
        </message>
        <message numerus="yes">
            <source>%n failed</source>
            <translation>
                <numerusform>%n fehlgeschlagen</numerusform>
                <numerusform>%n fehlgeschlagen</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n rewritten</source>
            <translation>
                <numerusform>%n bearbeitet</numerusform>
                <numerusform>%n bearbeitet</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n unchanged</source>
            <translation>
                <numerusform>%n unverändert</numerusform>
                <numerusform>%n unverändert</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n not reached</source>
            <translation>
                <numerusform>%n nicht erreicht</numerusform>
                <numerusform>%n nicht erreicht</numerusform>
            </translation>
        </message>
        <message>
            <source>Canceled: </source>
            <translation>Abgebrochen: </translation>
        </message>
        <message>
            <source>%1: %2</source>
            <translation>%1: %2</translation>
        </message>
        <message>
            <source>Select a folder.</source>
            <translation>Ordner auswählen</translation>
        </message>
        <message>
            <source>Scanning: %1, %2</source>
            <translation>Durchsuche: %1, %2</translation>
        </message>
        <message numerus="yes">
            <source>%n folders</source>
            <translation>
                <numerusform>%n Ordner</numerusform>
                <numerusform>%n Ordner</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n files</source>
            <translation>
                <numerusform>%n Datei</numerusform>
                <numerusform>%n Dateien</numerusform>
            </translation>
        </message>
        <message>
            <source>Folder scan</source>
            <translation>Ordnersuche</translation>
        </message>
        <message>
            <source>1 folder could not be scanned:</source>
            <translation>1 Ordner konnte nicht durchsucht werden:</translation>
        </message>
        <message numerus="yes">
            <source>%n folders could not be scanned:</source>
            <translation>
                <numerusform>%n Ordner konnte nicht durchsucht werden:</numerusform>
                <numerusform>%n Ordner konnten nicht durchsucht werden:</numerusform>
            </translation>
        </message>
        <message>
            <source>&amp;Undo Last Run</source>
            <translation>&amp;Letzten Lauf rückgängig machen</translation>
        </message>
    </context>
    <context>
        <name>TOtherDBox</name>
        <message>
            <source>Other Setting</source>
            <translation>Weitere Einstellungen</translation>
        </message>
        <message>
            <source>&amp;OK</source>
            <translation>&amp;OK</translation>
        </message>
        <message>
            <source>&amp;Cancel</source>
            <translation>&amp;Abbrechen</translation>
        </message>
        <message>
            <source>Don't &amp;update time stamp.</source>
            <translation>Zeitstempel &amp;nicht aktualisieren.</translation>
        </message>
        <message>
            <source> Note: </source>
            <translation> Hinweis: </translation>
        </message>
        <message>
            <source>Search in Sub-&amp;directories.(Multiple Only)</source>
            <translation>In &amp;Unterordnern suchen. (nur mehrere Dateien)</translation>
        </message>
        <message>
            <source>Don't show &amp;error dialogs.(Multiple Only)</source>
            <translation>&amp;Fehlerdialoge nicht anzeigen. (nur mehrere Dateien)</translation>
        </message>
        <message>
            <source>De&amp;lete successful items.(Multiple Only)</source>
            <translation>Erfolgreiche Einträge &amp;entfernen. (nur mehrere Dateien)</translation>
        </message>
        <message>
            <source>&amp;Seek frame header within </source>
            <translation>Frame-Header &amp;suchen im Umkreis von </translation>
        </message>
        <message>
            <source>Bytes.</source>
            <translation>Bytes.</translation>
        </message>
        <message>
            <source>Default is 3Bytes.</source>
            <translation>Standard: 3 Bytes.</translation>
        </message>
        <message>
            <source>Max frame size is 1441Bytes.</source>
            <translation>Maximale Frame-Größe: 1441 Bytes.</translation>
        </message>
    </context>
    <context>
        <name>State</name>
        <message>
            <source>Not enough memory for this file.</source>
            <translation>Nicht genug Speicher für diese Datei.</translation>
        </message>
        <message>
            <source>failed: %1</source>
            <translation>fehlgeschlagen: %1</translation>
        </message>
        <message>
            <source>%1 (%2)</source>
            <translation>%1 (%2)</translation>
        </message>
        <message>
            <source>right</source>
            <translation>richtig</translation>
        </message>
        <message>
            <source>stale</source>
            <translation>veraltet</translation>
        </message>
        <message>
            <source>missing</source>
            <translation>fehlt</translation>
        </message>
        <message>
            <source>not needed</source>
            <translation>nicht nötig</translation>
        </message>
        <message>
            <source>unreadable</source>
            <translation>unlesbar</translation>
        </message>
        <message>
            <source>%1: %2</source>
            <translation>%1: %2</translation>
        </message>
    </context>
    <context>
        <name>RecoveryNotice</name>
        <message>
            <source>%1: put back as it was before an interrupted rewrite.</source>
            <translation>%1: wiederhergestellt, wie sie vor einem unterbrochenen Schreibvorgang war.</translation>
        </message>
        <message>
            <source>%1: an interrupted rewrite cannot be put back (%2).</source>
            <translation>%1: ein unterbrochener Schreibvorgang kann nicht rückgängig gemacht werden (%2).</translation>
        </message>
        <message>
            <source>%1: named like a temporary file of Brantlow, left as it is (%2).</source>
            <translation>%1: wie eine temporäre Datei von Brantlow benannt, unverändert gelassen (%2).</translation>
        </message>
    </context>
</TS>
