<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>MainWindow</name>
    <message>
        <source>Zentra Network Scan</source>
        <translation>Zentra Network Scan</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Ctrl+Q</source>
        <translation>Ctrl+Q</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Messages</source>
        <translation>Meldungen</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;body&gt;&lt;p&gt;&lt;b&gt;Zentra Network Scan V2.35.1#8106&lt;/b&gt;&lt;/p&gt;&lt;p&gt;A deployment tool for the &lt;a href=&quot;https://zentra.example/controllers&quot;&gt;Zentra controller series&lt;/a&gt;: it finds the controllers on the local network segments, identifies, resets and configures them.&lt;/p&gt;&lt;p&gt;Copyright &amp;copy; Quillon. All rights reserved.&lt;/p&gt;&lt;p style=&quot;font-size:8pt&quot;&gt;Icons: Silk icon set by Mark James (famfamfam.com), licensed under Creative Commons Attribution 3.0.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;body&gt;&lt;p&gt;&lt;b&gt;Zentra Network Scan V2.35.1#8106&lt;/b&gt;&lt;/p&gt;&lt;p&gt;Ein Einrichtungswerkzeug für die &lt;a href=&quot;https://zentra.example/controllers&quot;&gt;Zentra-Controllerserie&lt;/a&gt;: Es findet die Controller in den lokalen Netzsegmenten, identifiziert sie, setzt sie zurück und konfiguriert sie.&lt;/p&gt;&lt;p&gt;Copyright &amp;copy; Quillon. Alle Rechte vorbehalten.&lt;/p&gt;&lt;p style=&quot;font-size:8pt&quot;&gt;Symbole: Silk-Symbolsatz von Mark James (famfamfam.com), lizenziert unter Creative Commons Namensnennung 3.0.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
</context>
<context>
    <name>PasswordDialog</name>
    <message>
        <source>Enter Password</source>
        <translation>Passwort eingeben</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Passwort:</translation>
    </message>
    <message>
        <source>Verify:</source>
        <translation>Wiederholung:</translation>
    </message>
    <message>
        <source>Please enter the password twice to make sure it has been entered correctly.</source>
        <translation>Bitte geben Sie das Passwort zweimal ein, damit sicher ist, dass es richtig eingegeben wurde.</translation>
    </message>
</context>
<context>
    <name>RegistryChanges</name>
    <message>
        <source>added</source>
        <translation>hinzugefügt</translation>
    </message>
    <message>
        <source>removed</source>
        <translation>entfernt</translation>
    </message>
    <message>
        <source>changed</source>
        <translation>geändert</translation>
    </message>
</context>
<context>
    <name>RegistryModel</name>
    <message>
        <source>Root</source>
        <translation>Wurzel</translation>
    </message>
    <message>
        <source>Tag</source>
        <translation>Kennung</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Wert</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
    <message>
        <source>Not set</source>
        <translation>Nicht gesetzt</translation>
    </message>
    <message>
        <source>Empty</source>
        <translation>Leer</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>Gesetzt</translation>
    </message>
</context>
<context>
    <name>RegistryNewItemDialog</name>
    <message>
        <source>Add item</source>
        <translation>Eintrag hinzufügen</translation>
    </message>
    <message>
        <source>Type:</source>
        <translation>Typ:</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>ScanClientDialog</name>
    <message>
        <source>Device Information</source>
        <translation>Geräteinformationen</translation>
    </message>
    <message>
        <source>Mac Address:</source>
        <translation>MAC-Adresse:</translation>
    </message>
    <message>
        <source>IP Address:</source>
        <translation>IP-Adresse:</translation>
    </message>
    <message>
        <source>Hardware type:</source>
        <translation>Hardwaretyp:</translation>
    </message>
    <message>
        <source>Raw Serial number:</source>
        <translation>Seriennummer (roh):</translation>
    </message>
    <message>
        <source>Manufactured:</source>
        <translation>Hergestellt:</translation>
    </message>
    <message>
        <source>Network mode:</source>
        <translation>Netzwerkmodus:</translation>
    </message>
    <message>
        <source>Configure</source>
        <translation>Konfigurieren</translation>
    </message>
    <message>
        <source>Buzz</source>
        <translation>Summen</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Zurücksetzen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Information about %1</source>
        <translation>Informationen zu %1</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Keine</translation>
    </message>
    <message>
        <source>Networking disabled</source>
        <translation>Kein Netzwerk</translation>
    </message>
    <message>
        <source>DHCP</source>
        <translation>DHCP</translation>
    </message>
    <message>
        <source>Static Address</source>
        <translation>Statische Adresse</translation>
    </message>
    <message>
        <source>Mode #%1</source>
        <translation>Modus #%1</translation>
    </message>
    <message>
        <source>(DEVELOPMENT MODE)</source>
        <translation>(ENTWICKLERMODUS)</translation>
    </message>
</context>
<context>
    <name>ScanClientInfo</name>
    <message>
        <source>%1 manufactured on %2</source>
        <translation>%1 hergestellt am %2</translation>
    </message>
</context>
<context>
    <name>ScanClientRegistryDialog</name>
    <message>
        <source>Device Configuration</source>
        <translation>Gerätekonfiguration</translation>
    </message>
    <message>
        <source>New</source>
        <translation>Neu</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Exportieren</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Importieren</translation>
    </message>
    <message>
        <source>What saving would change on the device</source>
        <translation>Was das Speichern am Gerät ändern würde</translation>
    </message>
    <message>
        <source>Changes</source>
        <translation>Änderungen</translation>
    </message>
    <message>
        <source>Zentra Configuration Files</source>
        <translation>Zentra-Konfigurationsdateien</translation>
    </message>
    <message>
        <source>Dump</source>
        <translation>Auszug</translation>
    </message>
    <message>
        <source>Config</source>
        <translation>Konfiguration</translation>
    </message>
    <message>
        <source>Configuration dump for %1</source>
        <translation>Konfigurationsauszug für %1</translation>
    </message>
    <message>
        <source>Changes saving would make to %1</source>
        <translation>Änderungen durch das Speichern an %1</translation>
    </message>
    <message>
        <source>No changes.</source>
        <translation>Keine Änderungen.</translation>
    </message>
    <message>
        <source>Export Configuration</source>
        <translation>Konfiguration exportieren</translation>
    </message>
    <message>
        <source>Import Configuration</source>
        <translation>Konfiguration importieren</translation>
    </message>
    <message>
        <source>There are unsaved changes. What do you want to do?</source>
        <translation>Es gibt ungespeicherte Änderungen. Was möchten Sie tun?</translation>
    </message>
    <message>
        <source>Saving configuration</source>
        <translation>Konfiguration wird gespeichert</translation>
    </message>
</context>
<context>
    <name>ScanServer</name>
    <message>
        <source>Scanner started on Any:%1.</source>
        <translation>Scanner gestartet auf Any:%1.</translation>
    </message>
    <message>
        <source>Scanner failed to start.</source>
        <translation>Der Scanner konnte nicht starten.</translation>
    </message>
    <message>
        <source>Scanner stopped</source>
        <translation>Scanner angehalten</translation>
    </message>
    <message>
        <source>Calling all stations</source>
        <translation>An alle Stationen</translation>
    </message>
    <message>
        <source>Config transfer denied by %1</source>
        <translation>Konfigurationsübertragung von %1 abgelehnt</translation>
    </message>
    <message>
        <source>Config transfer error at %1</source>
        <translation>Fehler bei der Konfigurationsübertragung mit %1</translation>
    </message>
    <message>
        <source>Config transfer timeout on %1</source>
        <translation>Zeitüberschreitung der Konfigurationsübertragung mit %1</translation>
    </message>
    <message>
        <source>Config data transfer aborted for %1</source>
        <translation>Übertragung der Konfigurationsdaten für %1 abgebrochen</translation>
    </message>
    <message>
        <source>Configuration saved to %1</source>
        <translation>Konfiguration in %1 gespeichert</translation>
    </message>
    <message>
        <source>Configuration loaded from %1</source>
        <translation>Konfiguration von %1 geladen</translation>
    </message>
    <message>
        <source>Device list full: %1 devices listed, new ones are ignored</source>
        <translation>Geräteliste voll: %1 Geräte aufgeführt, neue werden ignoriert</translation>
    </message>
</context>
<context>
    <name>ScanStateModel</name>
    <message>
        <source>MAC</source>
        <translation>MAC</translation>
    </message>
    <message>
        <source>IP</source>
        <translation>IP</translation>
    </message>
    <message>
        <source>Serial Number</source>
        <translation>Seriennummer</translation>
    </message>
    <message>
        <source>Made</source>
        <translation>Hergestellt</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Angaben</translation>
    </message>
</context>
<context>
    <name>ScanStateWidget</name>
    <message>
        <source>Filter: MAC, address, board, remark</source>
        <translation>Filter: MAC, Adresse, Board, Bemerkung</translation>
    </message>
    <message>
        <source>Buzz</source>
        <translation>Summen</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Zurücksetzen</translation>
    </message>
    <message>
        <source>Configure</source>
        <translation>Konfigurieren</translation>
    </message>
    <message>
        <source>Scan</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Device Settings</source>
        <translation>Geräteeinstellungen</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>&amp;Scanner</source>
        <translation>&amp;Scanner</translation>
    </message>
    <message>
        <source>The controller needs to have an IP address configured first.</source>
        <translation>Für den Controller muss zuerst eine IP-Adresse eingestellt werden.</translation>
    </message>
    <message>
        <source>An internet browser will open and display the device configuration program.</source>
        <translation>Ein Webbrowser öffnet sich und zeigt das Konfigurationsprogramm des Geräts.</translation>
    </message>
</context>
<context>
    <name>TagMap</name>
    <message>
        <source>Cannot open tag map %1: %2</source>
        <translation>Tag-Map %1 kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>%1: Error in line %2.</source>
        <translation>%1: Fehler in Zeile %2.</translation>
    </message>
    <message>
        <source>Further error reporting suppressed.</source>
        <translation>Weitere Fehler werden nicht gemeldet.</translation>
    </message>
</context>
<context>
    <name>TerminalWidget</name>
    <message>
        <source>Log files (*.log);;All Files (*.*)</source>
        <translation>Protokolldateien (*.log);;Alle Dateien (*.*)</translation>
    </message>
    <message>
        <source>Log messages to file</source>
        <translation>Meldungen in Datei protokollieren</translation>
    </message>
    <message>
        <source>Log file %1: %2. Logging stopped.</source>
        <translation>Protokolldatei %1: %2. Protokollierung beendet.</translation>
    </message>
    <message>
        <source>Replay log file</source>
        <translation>Protokolldatei wiedergeben</translation>
    </message>
    <message>
        <source>Replay of %1</source>
        <translation>Wiedergabe von %1</translation>
    </message>
    <message>
        <source>End of replay</source>
        <translation>Ende der Wiedergabe</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Ctrl+Shift+C</source>
        <translation>Ctrl+Shift+C</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>Einfügen</translation>
    </message>
    <message>
        <source>Ctrl+Shift+V</source>
        <translation>Ctrl+Shift+V</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Zurücksetzen</translation>
    </message>
    <message>
        <source>F8</source>
        <translation>F8</translation>
    </message>
    <message>
        <source>Stop logging</source>
        <translation>Protokollierung beenden</translation>
    </message>
    <message>
        <source>Replay message log</source>
        <translation>Meldungsprotokoll wiedergeben</translation>
    </message>
    <message>
        <source>8-Bit Controls</source>
        <translation>8-Bit-Steuerzeichen</translation>
    </message>
    <message>
        <source>UTF-8</source>
        <translation>UTF-8</translation>
    </message>
    <message>
        <source>Flash dirty cells</source>
        <translation>Geänderte Zellen aufblinken lassen</translation>
    </message>
    <message>
        <source>Jump Scroll</source>
        <translation>Sprungweise rollen</translation>
    </message>
    <message>
        <source>Autofeed</source>
        <translation>Automatischer Zeilenvorschub</translation>
    </message>
    <message>
        <source>Scroll to Bottom on TTY Output</source>
        <translation>Bei Ausgabe ans Ende rollen</translation>
    </message>
    <message>
        <source>Scroll to Bottom on Key Press</source>
        <translation>Bei Tastendruck ans Ende rollen</translation>
    </message>
    <message>
        <source>Ansi codes help</source>
        <translation>Hilfe zu ANSI-Codes</translation>
    </message>
    <message>
        <source>Smaller font</source>
        <translation>Kleinere Schrift</translation>
    </message>
    <message>
        <source>Ctrl+Shift+-</source>
        <translation>Ctrl+Shift+-</translation>
    </message>
    <message>
        <source>Larger font</source>
        <translation>Größere Schrift</translation>
    </message>
    <message>
        <source>Ctrl+Shift++</source>
        <translation>Ctrl+Shift++</translation>
    </message>
</context>
</TS>
