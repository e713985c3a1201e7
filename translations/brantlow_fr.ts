<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
    <context>
        <name>Application</name>
        <message>
            <source>Unknown error.</source>
            <translation>Erreur inconnue.</translation>
        </message>
    </context>
    <context>
        <name>FileCheckList</name>
        <message>
            <source>File</source>
            <translation>Fichier</translation>
        </message>
        <message>
            <source>State</source>
            <translation>État</translation>
        </message>
    </context>
    <context>
        <name>FileDialogs</name>
        <message>
            <source>Supported Files(.mp3; .rmp; .wav)</source>
            <translation>Fichiers pris en charge (.mp3 ; .rmp ; .wav)</translation>
        </message>
        <message>
            <source>Normal MP3 Files(.mp3)</source>
            <translation>Fichiers MP3 normaux (.mp3)</translation>
        </message>
        <message>
            <source>RIFF/MP3(RMP3) Files(.rmp)</source>
            <translation>Fichiers RIFF/MP3 (RMP3, .rmp)</translation>
        </message>
        <message>
            <source>RIFF/WAVE Files(.wav)</source>
            <translation>Fichiers RIFF/WAVE (.wav)</translation>
        </message>
        <message>
            <source>All files</source>
            <translation>Tous les fichiers</translation>
        </message>
    </context>
    <context>
        <name>FontDialog</name>
        <message>
            <source>Black</source>
            <translation>Noir</translation>
        </message>
        <message>
            <source>Maroon</source>
            <translation>Marron</translation>
        </message>
        <message>
            <source>Green</source>
            <translation>Vert</translation>
        </message>
        <message>
            <source>Olive</source>
            <translation>Olive</translation>
        </message>
        <message>
            <source>Navy</source>
            <translation>Bleu marine</translation>
        </message>
        <message>
            <source>Purple</source>
            <translation>Violet</translation>
        </message>
        <message>
            <source>Teal</source>
            <translation>Sarcelle</translation>
        </message>
        <message>
            <source>Gray</source>
            <translation>Gris</translation>
        </message>
        <message>
            <source>Silver</source>
            <translation>Argent</translation>
        </message>
        <message>
            <source>Red</source>
            <translation>Rouge</translation>
        </message>
        <message>
            <source>Lime</source>
            <translation>Vert citron</translation>
        </message>
        <message>
            <source>Yellow</source>
            <translation>Jaune</translation>
        </message>
        <message>
            <source>Blue</source>
            <translation>Bleu</translation>
        </message>
        <message>
            <source>Fuchsia</source>
            <translation>Fuchsia</translation>
        </message>
        <message>
            <source>Aqua</source>
            <translation>Cyan</translation>
        </message>
        <message>
            <source>White</source>
            <translation>Blanc</translation>
        </message>
        <message>
            <source>Font</source>
            <translation>Police</translation>
        </message>
        <message>
            <source> pt</source>
            <translation> pt</translation>
        </message>
        <message>
            <source>&amp;Bold</source>
            <translation>&amp;Gras</translation>
        </message>
        <message>
            <source>&amp;Italic</source>
            <translation>&amp;Italique</translation>
        </message>
        <message>
            <source>Stri&amp;keout</source>
            <translation>&amp;Barré</translation>
        </message>
        <message>
            <source>&amp;Underline</source>
            <translation>&amp;Souligné</translation>
        </message>
        <message>
            <source>Window text</source>
            <translation>Texte de la fenêtre</translation>
        </message>
        <message>
            <source>&amp;Font:</source>
            <translation>&amp;Police :</translation>
        </message>
        <message>
            <source>&amp;Size:</source>
            <translation>&amp;Taille :</translation>
        </message>
        <message>
            <source>Style:</source>
            <translation>Style :</translation>
        </message>
        <message>
            <source>&amp;Color:</source>
            <translation>&amp;Couleur :</translation>
        </message>
        <message>
            <source>Custom</source>
            <translation>Personnalisée</translation>
        </message>
    </context>
    <context>
        <name>Reason</name>
        <message>
            <source>cannot be opened for reading</source>
            <translation>ne peut pas être ouvert en lecture</translation>
        </message>
        <message>
            <source>cannot be read (or is 2 GiB or larger)</source>
            <translation>ne peut pas être lu (ou fait 2 Gio ou plus)</translation>
        </message>
        <message>
            <source>cannot be saved</source>
            <translation>ne peut pas être enregistré</translation>
        </message>
        <message>
            <source>no MPEG audio stream in the first 64 KiB of the audio</source>
            <translation>aucun flux audio MPEG dans les 64 premiers Kio de l’audio</translation>
        </message>
        <message>
            <source>RIFF file of neither RMP3 nor WAVE form</source>
            <translation>fichier RIFF ni de forme RMP3 ni de forme WAVE</translation>
        </message>
        <message>
            <source>WAVE file whose audio is not MPEG Layer 3</source>
            <translation>fichier WAVE dont l’audio n’est pas du MPEG Layer 3</translation>
        </message>
        <message>
            <source>WAVE file with PCM audio</source>
            <translation>fichier WAVE avec audio PCM</translation>
        </message>
        <message>
            <source>WAVE file without a data chunk</source>
            <translation>fichier WAVE sans bloc data</translation>
        </message>
        <message>
            <source>RMP3 file without a data chunk</source>
            <translation>fichier RMP3 sans bloc data</translation>
        </message>
        <message>
            <source>a file of another container (MP4, Ogg, FLAC, Matroska or MPEG program stream)</source>
            <translation>un fichier d’un autre conteneur (MP4, Ogg, FLAC, Matroska ou flux de programme MPEG)</translation>
        </message>
        <message>
            <source>frame header with a reserved sample rate</source>
            <translation>en-tête de trame avec une fréquence d’échantillonnage réservée</translation>
        </message>
        <message>
            <source>frame header with a free-format or bad bitrate, or a reserved layer</source>
            <translation>en-tête de trame avec un débit libre ou invalide, ou une couche réservée</translation>
        </message>
        <message>
            <source>no audio bytes to describe</source>
            <translation>aucun octet audio à décrire</translation>
        </message>
        <message>
            <source>more than 1 % (or 64 KiB) of the stream is junk between its frames</source>
            <translation>plus de 1 % (ou 64 Kio) du flux sont des octets parasites entre ses trames</translation>
        </message>
        <message>
            <source>the header frame is no Xing or Info frame, or too short for its fields</source>
            <translation>la trame d’en-tête n’est pas une trame Xing ou Info, ou est trop courte pour ses champs</translation>
        </message>
        <message>
            <source>the header frame would not be found again: the junk after the ID3v2 tag looks like frames</source>
            <translation>la trame d’en-tête ne serait pas retrouvée : les octets parasites après la balise ID3v2 ressemblent à des trames</translation>
        </message>
        <message>
            <source>the mended header would not read back as right</source>
            <translation>l’en-tête réparé ne serait pas relu comme correct</translation>
        </message>
        <message>
            <source>the header frame cannot be inserted</source>
            <translation>la trame d’en-tête ne peut pas être insérée</translation>
        </message>
        <message>
            <source>the header frame cannot be cut out</source>
            <translation>la trame d’en-tête ne peut pas être retirée</translation>
        </message>
        <message>
            <source>unknown failure</source>
            <translation>échec inconnu</translation>
        </message>
        <message>
            <source>2 GiB or more</source>
            <translation>2 Gio ou plus</translation>
        </message>
        <message>
            <source>a RIFF file of another form: not MPEG audio</source>
            <translation>un fichier RIFF d’une autre forme : pas de l’audio MPEG</translation>
        </message>
        <message>
            <source>PCM WAVE</source>
            <translation>WAVE PCM</translation>
        </message>
        <message>
            <source>a WAVE file of another format: not MPEG audio</source>
            <translation>un fichier WAVE d’un autre format : pas de l’audio MPEG</translation>
        </message>
        <message>
            <source>not MPEG audio: no frame sync in the first 64 KiB</source>
            <translation>pas de l’audio MPEG : aucune synchronisation de trame dans les 64 premiers Kio</translation>
        </message>
        <message>
            <source>no frame follows the header frame within the seek range</source>
            <translation>aucune trame ne suit la trame d’en-tête dans la plage de recherche</translation>
        </message>
        <message>
            <source>changed since the folder scan</source>
            <translation>modifié depuis l’analyse du dossier</translation>
        </message>
        <message>
            <source>the file changed since it was read</source>
            <translation>le fichier a changé depuis sa lecture</translation>
        </message>
        <message>
            <source>its last-write time cannot be kept: %1</source>
            <translation>sa date de modification ne peut pas être conservée : %1</translation>
        </message>
        <message>
            <source>not a regular file</source>
            <translation>pas un fichier ordinaire</translation>
        </message>
        <message>
            <source>the file looks truncated</source>
            <translation>le fichier semble tronqué</translation>
        </message>
        <message>
            <source>Cannot open this File.</source>
            <translation>Impossible d’ouvrir ce fichier.</translation>
        </message>
        <message>
            <source>This file is not MPEG/Audio.</source>
            <translation>Ce fichier n’est pas de l’audio MPEG.</translation>
        </message>
        <message>
            <source>This file includes a VBR Header.</source>
            <translation>Ce fichier contient un en-tête VBR.</translation>
        </message>
        <message>
            <source>This file includes no VBR header.</source>
            <translation>Ce fichier ne contient pas d’en-tête VBR.</translation>
        </message>
        <message>
            <source>This file's VBR Header needs no fix.</source>
            <translation>L’en-tête VBR de ce fichier n’a pas besoin d’être réparé.</translation>
        </message>
        <message>
            <source>Cannot Add/Remove a VBR Header.</source>
            <translation>Impossible d’ajouter ou de supprimer l’en-tête VBR.</translation>
        </message>
        <message>
            <source>error %1: %2</source>
            <translation>erreur %1 : %2</translation>
        </message>
        <message>
            <source>truncated: the header says %1 frames, %2 are there</source>
            <translation>tronqué : l’en-tête annonce %L1 trames, il y en a %L2</translation>
        </message>
        <message>
            <source>joined: the header says %1 frames, %2 are there</source>
            <translation>joint : l’en-tête annonce %L1 trames, il y en a %L2</translation>
        </message>
        <message>
            <source>the header says %1 frames, %2 are there</source>
            <translation>l’en-tête annonce %L1 trames, il y en a %L2</translation>
        </message>
        <message>
            <source>byte count %1, stream %2 bytes</source>
            <translation>nombre d’octets %L1, flux de %L2 octets</translation>
        </message>
        <message>
            <source>the tag CRC does not match</source>
            <translation>le CRC de la balise ne correspond pas</translation>
        </message>
        <message>
            <source>RIFF sizes</source>
            <translation>tailles RIFF</translation>
        </message>
        <message>
            <source>%1; %2</source>
            <translation>%1 ; %2</translation>
        </message>
    </context>
    <context>
        <name>RunCounter</name>
        <message>
            <source>Files the run has done, of the files it took</source>
            <translation>Fichiers traités sur l’ensemble des fichiers du traitement</translation>
        </message>
        <message numerus="yes">
            <source>%n Files</source>
            <translation>
                <numerusform>%n fichier</numerusform>
                <numerusform>%n fichiers</numerusform>
            </translation>
        </message>
        <message>
            <source>%1 of %2 file done</source>
            <translation>%1 sur %2 fichier traité</translation>
        </message>
        <message numerus="yes">
            <source>%1 of %n files done</source>
            <translation>
                <numerusform>%1 sur %n fichier traité</numerusform>
                <numerusform>%1 sur %n fichiers traités</numerusform>
            </translation>
        </message>
    </context>
    <context>
        <name>RunLog</name>
        <message>
            <source>Undo Log</source>
            <translation>Journal d’annulation</translation>
        </message>
        <message>
            <source>This run cannot be undone: its log cannot be written.</source>
            <translation>Cette exécution ne pourra pas être annulée : son journal ne peut pas être écrit.</translation>
        </message>
        <message>
            <source>There is no run to undo.</source>
            <translation>Aucune exécution à annuler.</translation>
        </message>
        <message numerus="yes">
            <source>%n file(s) put back as they were before the run.</source>
            <translation>
                <numerusform>%n fichier remis tel qu’il était avant l’exécution.</numerusform>
                <numerusform>%n fichiers remis tels qu’ils étaient avant l’exécution.</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n file(s) left as they are:</source>
            <translation>
                <numerusform>%n fichier laissé tel quel :</numerusform>
                <numerusform>%n fichiers laissés tels quels :</numerusform>
            </translation>
        </message>
        <message>
            <source>Undo Last Run</source>
            <translation>Annuler la dernière exécution</translation>
        </message>
        <message>
            <source>Undoing the last run...</source>
            <translation>Annulation de la dernière exécution...</translation>
        </message>
        <message>
            <source>&amp;Stop</source>
            <translation>&amp;Arrêter</translation>
        </message>
        <message>
            <source>Stopping: the files in progress are finished first...</source>
            <translation>Arrêt : les fichiers en cours sont d’abord terminés...</translation>
        </message>
        <message>
            <source>Undoing the last run: %1 of %2 files</source>
            <translation>Annulation de la dernière exécution : %1 fichiers sur %2</translation>
        </message>
        <message>
            <source>The last run cannot be undone now.</source>
            <translation>La dernière exécution ne peut pas être annulée maintenant.</translation>
        </message>
        <message numerus="yes">
            <source>%n file(s) already as they were before the run.</source>
            <translation>
                <numerusform>%n fichier déjà tel qu’il était avant l’exécution.</numerusform>
                <numerusform>%n fichiers déjà tels qu’ils étaient avant l’exécution.</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>Stopped: %n file(s) not reached, left as they are:</source>
            <translation>
                <numerusform>Arrêté : %n fichier non atteint, laissé tel quel :</numerusform>
                <numerusform>Arrêté : %n fichiers non atteints, laissés tels quels :</numerusform>
            </translation>
        </message>
    </context>
    <context>
        <name>TAboutBox</name>
        <message>
            <source>Version Information</source>
            <translation>Informations de version</translation>
        </message>
        <message>
            <source>&amp;OK</source>
            <translation>&amp;OK</translation>
        </message>
        <message>
            <source>&amp;WebSite</source>
            <translation>Site &amp;web</translation>
        </message>
        <message>
            <source>Version %1</source>
            <translation>Version %1</translation>
        </message>
        <message>
            <source>This program may damage your files</source>
            <translation>Ce programme peut endommager vos fichiers</translation>
        </message>
        <message>
            <source>Use it at your own lisk</source>
            <translation>Utilisez-le à vos risques et périls</translation>
        </message>
    </context>
    <context>
        <name>TDetailsDBox</name>
        <message>
            <source>Right: it matches the stream</source>
            <translation>Correct : il correspond au flux</translation>
        </message>
        <message>
            <source>Stale: %1</source>
            <translation>Périmé : %1</translation>
        </message>
        <message>
            <source>Missing: a variable-bitrate stream without a header</source>
            <translation>Manquant : un flux à débit variable sans en-tête</translation>
        </message>
        <message>
            <source>Not needed: a constant-bitrate stream</source>
            <translation>Inutile : un flux à débit constant</translation>
        </message>
        <message>
            <source>Unreadable: %1</source>
            <translation>Illisible : %1</translation>
        </message>
        <message>
            <source>none</source>
            <comment>no header frame</comment>
            <translation>aucune</translation>
        </message>
        <message>
            <source>%1, %2 frames, %3 bytes, %4</source>
            <translation>%1, %2 trames, %3 octets, %4</translation>
        </message>
        <message>
            <source>seek table</source>
            <translation>avec table de positionnement</translation>
        </message>
        <message>
            <source>no seek table</source>
            <translation>sans table de positionnement</translation>
        </message>
        <message>
            <source>%1 frames, %2 bytes, %3 s, Layer %4, %5</source>
            <translation>%L1 trames, %L2 octets, %L3 s, couche %4, %5</translation>
        </message>
        <message>
            <source>variable bitrate</source>
            <translation>débit variable</translation>
        </message>
        <message>
            <source>constant bitrate</source>
            <translation>débit constant</translation>
        </message>
        <message>
            <source>, in a RIFF WAVE file</source>
            <translation>, dans un fichier RIFF WAVE</translation>
        </message>
        <message>
            <source>, in a RIFF RMP3 file</source>
            <translation>, dans un fichier RIFF RMP3</translation>
        </message>
        <message>
            <source>not recorded</source>
            <translation>non indiqué</translation>
        </message>
        <message>
            <source>unnamed</source>
            <translation>sans nom</translation>
        </message>
        <message>
            <source>%1, delay %2 samples, padding %3 samples</source>
            <translation>%1, décalage %L2 échantillons, remplissage %L3 échantillons</translation>
        </message>
        <message>
            <source>peak %1</source>
            <translation>crête %L1</translation>
        </message>
        <message>
            <source>none</source>
            <comment>no ReplayGain</comment>
            <translation>aucun</translation>
        </message>
        <message>
            <source>ID3v2 (%1 bytes)</source>
            <translation>ID3v2 (%L1 octets)</translation>
        </message>
        <message>
            <source>%1 (%2 bytes)</source>
            <translation>%1 (%L2 octets)</translation>
        </message>
        <message>
            <source>none</source>
            <comment>no tags</comment>
            <translation>aucune</translation>
        </message>
        <message>
            <source>%1 bytes before the first frame</source>
            <translation>%L1 octets avant la première trame</translation>
        </message>
        <message>
            <source>%1 bytes in %2 places inside the stream</source>
            <translation>%L1 octets à %L2 endroits dans le flux</translation>
        </message>
        <message>
            <source>%1 bytes at its end</source>
            <translation>%L1 octets à sa fin</translation>
        </message>
        <message>
            <source>none</source>
            <comment>no junk</comment>
            <translation>aucune</translation>
        </message>
        <message>
            <source>&amp;VBR header:</source>
            <translation>En-tête &amp;VBR :</translation>
        </message>
        <message>
            <source>&amp;Header frame:</source>
            <translation>&amp;Trame d’en-tête :</translation>
        </message>
        <message>
            <source>&amp;Stream:</source>
            <translation>F&amp;lux :</translation>
        </message>
        <message>
            <source>&amp;Encoder:</source>
            <translation>&amp;Encodeur :</translation>
        </message>
        <message>
            <source>&amp;ReplayGain:</source>
            <translation>&amp;ReplayGain :</translation>
        </message>
        <message>
            <source>&amp;Tags:</source>
            <translation>Éti&amp;quettes :</translation>
        </message>
        <message>
            <source>&amp;Junk:</source>
            <translation>Données &amp;parasites :</translation>
        </message>
        <message>
            <source>&amp;Close</source>
            <translation>&amp;Fermer</translation>
        </message>
        <message>
            <source>%1 - Details</source>
            <translation>%1 – Détails</translation>
        </message>
        <message>
            <source>track %1%2 dB</source>
            <translation>piste %1%L2 dB</translation>
        </message>
        <message>
            <source>album %1%2 dB</source>
            <translation>album %1%L2 dB</translation>
        </message>
        <message>
            <source>%1</source>
            <comment>a count of the header</comment>
            <translation>%L1</translation>
        </message>
        <message>
            <source>cannot be walked (%1)</source>
            <translation>ne peut être parcouru (%1)</translation>
        </message>
    </context>
    <context>
        <name>TErrorDBox</name>
        <message>
            <source>Cannot Add/Remove a VBR Header.</source>
            <translation>Impossible d’ajouter ou de supprimer l’en-tête VBR.</translation>
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
            <translation>Impossible d’ouvrir ce fichier.</translation>
        </message>
        <message>
            <source>This file is not MPEG/Audio file.</source>
            <translation>Ce fichier n’est pas un fichier audio MPEG.</translation>
        </message>
        <message>
            <source>Cannot Add/Remove a VBR Header.</source>
            <translation>Impossible d’ajouter ou de supprimer l’en-tête VBR.</translation>
        </message>
        <message>
            <source>This File includes a VBR Header Now.</source>
            <translation>Ce fichier contient maintenant un en-tête VBR.</translation>
        </message>
        <message>
            <source>This File includes no VBR Header Now.</source>
            <translation>Ce fichier ne contient plus d’en-tête VBR.</translation>
        </message>
        <message>
            <source>This File's VBR Header is right Now.</source>
            <translation>L’en-tête VBR de ce fichier est maintenant correct.</translation>
        </message>
        <message>
            <source>&amp;Open...</source>
            <translation>&amp;Ouvrir...</translation>
        </message>
        <message>
            <source>&amp;Save</source>
            <translation>&amp;Enregistrer</translation>
        </message>
        <message>
            <source>&amp;Fix VBR Header</source>
            <translation>&amp;Corriger l’en-tête VBR</translation>
        </message>
        <message>
            <source>&amp;Details...</source>
            <translation>&amp;Détails...</translation>
        </message>
        <message>
            <source>&amp;Multiple...</source>
            <translation>Fichiers &amp;multiples...</translation>
        </message>
        <message>
            <source>E&amp;xit</source>
            <translation>&amp;Quitter</translation>
        </message>
        <message>
            <source>&amp;About...</source>
            <translation>À &amp;propos...</translation>
        </message>
        <message>
            <source>O&amp;ther...</source>
            <translation>&amp;Autres...</translation>
        </message>
        <message>
            <source>&amp;Font...</source>
            <translation>&amp;Police...</translation>
        </message>
        <message>
            <source>&amp;File</source>
            <translation>&amp;Fichier</translation>
        </message>
        <message>
            <source>&amp;Settings</source>
            <translation>&amp;Paramètres</translation>
        </message>
        <message>
            <source>&amp;Help</source>
            <translation>&amp;Aide</translation>
        </message>
        <message>
            <source>Toolbar</source>
            <translation>Barre d’outils</translation>
        </message>
        <message>
            <source>Open a file, or add or remove its VBR header</source>
            <translation>Ouvrir un fichier, ou ajouter ou supprimer son en-tête VBR</translation>
        </message>
        <message>
            <source>Open a file (%1)</source>
            <translation>Ouvrir un fichier (%1)</translation>
        </message>
        <message>
            <source>Open</source>
            <translation>Ouvrir</translation>
        </message>
        <message>
            <source>Opens an MP3, RMP3 or WAVE file</source>
            <translation>Ouvre un fichier MP3, RMP3 ou WAVE</translation>
        </message>
        <message>
            <source>Add or remove the VBR header (%1)</source>
            <translation>Ajouter ou supprimer l’en-tête VBR (%1)</translation>
        </message>
        <message>
            <source>Adds or removes the VBR header of the open file</source>
            <translation>Ajoute ou supprime l’en-tête VBR du fichier ouvert</translation>
        </message>
        <message>
            <source> File </source>
            <translation> Fichier </translation>
        </message>
        <message>
            <source>&amp;Path:</source>
            <translation>&amp;Chemin :</translation>
        </message>
        <message>
            <source>Status:</source>
            <translation>État :</translation>
        </message>
        <message>
            <source>&amp;Add VBR Header</source>
            <translation>&amp;Ajouter l’en-tête VBR</translation>
        </message>
        <message>
            <source>&amp;Remove VBR Header</source>
            <translation>&amp;Supprimer l’en-tête VBR</translation>
        </message>
        <message>
            <source>This File includes no VBR Header.</source>
            <translation>Ce fichier ne contient pas d’en-tête VBR.</translation>
        </message>
        <message>
            <source>This File includes a VBR Header.</source>
            <translation>Ce fichier contient un en-tête VBR.</translation>
        </message>
        <message>
            <source>&amp;Undo Last Run</source>
            <translation>A&amp;nnuler la dernière exécution</translation>
        </message>
        <message>
            <source>Header fixed; the File looks truncated.</source>
            <translation>En-tête réparé ; le fichier semble tronqué.</translation>
        </message>
    </context>
    <context>
        <name>TMultiErrorDBox</name>
        <message>
            <source>Do you want to continue to rewrite other files?</source>
            <translation>Voulez-vous continuer avec les autres fichiers ?</translation>
        </message>
        <message>
            <source>C&amp;ontinue</source>
            <translation>&amp;Continuer</translation>
        </message>
        <message>
            <source>&amp;Cancel</source>
            <translation>&amp;Annuler</translation>
        </message>
    </context>
    <context>
        <name>TMultiFileDBox</name>
        <message>
            <source>A&amp;dd</source>
            <translation>A&amp;jouter</translation>
        </message>
        <message>
            <source>Re&amp;move</source>
            <translation>Supp&amp;rimer</translation>
        </message>
        <message>
            <source>F&amp;ix</source>
            <translation>C&amp;orriger</translation>
        </message>
        <message>
            <source>&amp;Browse</source>
            <translation>&amp;Parcourir</translation>
        </message>
        <message>
            <source>Rewrites</source>
            <translation>Traiter</translation>
        </message>
        <message>
            <source>Check all</source>
            <translation>Tout cocher</translation>
        </message>
        <message>
            <source>Uncheck all</source>
            <translation>Tout décocher</translation>
        </message>
        <message>
            <source>Rewrited:</source>
            <translation>Traités :</translation>
        </message>
        <message>
            <source>Progress</source>
            <translation>Progression</translation>
        </message>
        <message>
            <source>Files</source>
            <translation>Fichiers</translation>
        </message>
        <message>
            <source>Select MPEG/Audio files you want to add/remove a VBR header..</source>
            <translation>Sélectionnez les fichiers audio MPEG dont l’en-tête VBR est à ajouter ou à supprimer</translation>
        </message>
        <message>
            <source>Multiple File Mode</source>
            <translation>Fichiers multiples</translation>
        </message>
        <message>
            <source>&amp;Add</source>
            <translation>&amp;Ajouter</translation>
        </message>
        <message>
            <source>&amp;Remove</source>
            <translation>&amp;Supprimer</translation>
        </message>
        <message>
            <source>Fi&amp;x</source>
            <translation>&amp;Corriger</translation>
        </message>
        <message>
            <source>&amp;Folder</source>
            <translation>&amp;Dossier</translation>
        </message>
        <message>
            <source>&amp;Cancel</source>
            <translation>&amp;Annuler</translation>
        </message>
        <message>
            <source>&amp;Stop</source>
            <translation>&amp;Arrêter</translation>
        </message>
        <message>
            <source>Rewriting: </source>
            <translation>Traitement : </translation>
        </message>
        <message>
            <source>Rewrite OK</source>
            <translation>Traitement terminé</translation>
        </message>
        <message numerus="yes">
            <source>%n failed</source>
            <translation>
                <numerusform>%n en échec</numerusform>
                <numerusform>%n en échec</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n rewritten</source>
            <translation>
                <numerusform>%n traité</numerusform>
                <numerusform>%n traités</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n unchanged</source>
            <translation>
                <numerusform>%n inchangé</numerusform>
                <numerusform>%n inchangés</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n not reached</source>
            <translation>
                <numerusform>%n non atteint</numerusform>
                <numerusform>%n non atteints</numerusform>
            </translation>
        </message>
        <message>
            <source>Canceled: </source>
            <translation>Annulé : </translation>
        </message>
        <message>
            <source>%1: %2</source>
            <translation>%1 : %2</translation>
        </message>
        <message>
            <source>Select a folder.</source>
            <translation>Sélectionnez un dossier</translation>
        </message>
        <message>
            <source>Scanning: %1, %2</source>
            <translation>Parcours : %1, %2</translation>
        </message>
        <message numerus="yes">
            <source>%n folders</source>
            <translation>
                <numerusform>%n dossier</numerusform>
                <numerusform>%n dossiers</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n files</source>
            <translation>
                <numerusform>%n fichier</numerusform>
                <numerusform>%n fichiers</numerusform>
            </translation>
        </message>
        <message>
            <source>Folder scan</source>
            <translation>Parcours des dossiers</translation>
        </message>
        <message>
            <source>1 folder could not be scanned:</source>
            <translation>1 dossier n’a pas pu être parcouru :</translation>
        </message>
        <message numerus="yes">
            <source>%n folders could not be scanned:</source>
            <translation>
                <numerusform>%n dossier n’a pas pu être parcouru :</numerusform>
                <numerusform>%n dossiers n’ont pas pu être parcourus :</numerusform>
            </translation>
        </message>
        <message>
            <source>&amp;Undo Last Run</source>
            <translation>A&amp;nnuler la dernière exécution</translation>
        </message>
    </context>
    <context>
        <name>TOtherDBox</name>
        <message>
            <source>Other Setting</source>
            <translation>Autres paramètres</translation>
        </message>
        <message>
            <source>&amp;OK</source>
            <translation>&amp;OK</translation>
        </message>
        <message>
            <source>&amp;Cancel</source>
            <translation>&amp;Annuler</translation>
        </message>
        <message>
            <source>Don't &amp;update time stamp.</source>
            <translation>Ne pas &amp;mettre à jour l’horodatage.</translation>
        </message>
        <message>
            <source> Note: </source>
            <translation> Remarque : </translation>
        </message>
        <message>
            <source>Search in Sub-&amp;directories.(Multiple Only)</source>
            <translation>Chercher dans les sous-&amp;dossiers. (fichiers multiples seulement)</translation>
        </message>
        <message>
            <source>Don't show &amp;error dialogs.(Multiple Only)</source>
            <translation>Ne pas afficher les messages d’&amp;erreur. (fichiers multiples seulement)</translation>
        </message>
        <message>
            <source>De&amp;lete successful items.(Multiple Only)</source>
            <translation>&amp;Retirer les fichiers réussis. (fichiers multiples seulement)</translation>
        </message>
        <message>
            <source>&amp;Seek frame header within </source>
            <translation>Chercher l’en-tête de &amp;trame dans un rayon de </translation>
        </message>
        <message>
            <source>Bytes.</source>
            <translation>octets.</translation>
        </message>
        <message>
            <source>Default is 3Bytes.</source>
            <translation>Par défaut : 3 octets.</translation>
        </message>
        <message>
            <source>Max frame size is 1441Bytes.</source>
            <translation>Taille de trame maximale : 1441 octets.</translation>
        </message>
    </context>
    <context>
        <name>State</name>
        <message>
            <source>Not enough memory for this file.</source>
            <translation>Mémoire insuffisante pour ce fichier.</translation>
        </message>
        <message>
            <source>failed: %1</source>
            <translation>échec : %1</translation>
        </message>
        <message>
            <source>%1 (%2)</source>
            <translation>%1 (%2)</translation>
        </message>
        <message>
            <source>right</source>
            <translation>correct</translation>
        </message>
        <message>
            <source>stale</source>
            <translation>périmé</translation>
        </message>
        <message>
            <source>missing</source>
            <translation>manquant</translation>
        </message>
        <message>
            <source>not needed</source>
            <translation>inutile</translation>
        </message>
        <message>
            <source>unreadable</source>
            <translation>illisible</translation>
        </message>
        <message>
            <source>%1: %2</source>
            <translation>%1 : %2</translation>
        </message>
    </context>
    <context>
        <name>RecoveryNotice</name>
        <message>
            <source>%1: put back as it was before an interrupted rewrite.</source>
            <translation>%1 : remis tel qu’il était avant une réécriture interrompue.</translation>
        </message>
        <message>
            <source>%1: an interrupted rewrite cannot be put back (%2).</source>
            <translation>%1 : une réécriture interrompue ne peut pas être annulée (%2).</translation>
        </message>
        <message>
            <source>%1: named like a temporary file of Brantlow, left as it is (%2).</source>
            <translation>%1 : nommé comme un fichier temporaire de Brantlow, laissé tel quel (%2).</translation>
        </message>
    </context>
</TS>
