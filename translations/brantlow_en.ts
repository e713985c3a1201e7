<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>RunCounter</name>
    <message numerus="yes">
        <source>%n Files</source>
        <translation>
            <numerusform>%n Files</numerusform>
            <numerusform>%n Files</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n files done</source>
        <translation>
            <numerusform>%1 of %n file done</numerusform>
            <numerusform>%1 of %n files done</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>RunLog</name>
    <message numerus="yes">
        <source>%n file(s) put back as they were before the run.</source>
        <translation>
            <numerusform>%n file put back as it was before the run.</numerusform>
            <numerusform>%n files put back as they were before the run.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) already as they were before the run.</source>
        <translation>
            <numerusform>%n file already as it was before the run.</numerusform>
            <numerusform>%n files already as they were before the run.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) left as they are:</source>
        <translation>
            <numerusform>%n file left as it is:</numerusform>
            <numerusform>%n files left as they are:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Stopped: %n file(s) not reached, left as they are:</source>
        <translation>
            <numerusform>Stopped: %n file not reached, left as it is:</numerusform>
            <numerusform>Stopped: %n files not reached, left as they are:</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>TMultiFileDBox</name>
    <message numerus="yes">
        <source>%n failed</source>
        <translation>
            <numerusform>%n failed</numerusform>
            <numerusform>%n failed</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n rewritten</source>
        <translation>
            <numerusform>%n rewritten</numerusform>
            <numerusform>%n rewritten</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n unchanged</source>
        <translation>
            <numerusform>%n unchanged</numerusform>
            <numerusform>%n unchanged</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n not reached</source>
        <translation>
            <numerusform>%n not reached</numerusform>
            <numerusform>%n not reached</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n folders</source>
        <translation>
            <numerusform>%n folder</numerusform>
            <numerusform>%n folders</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n files</source>
        <translation>
            <numerusform>%n file</numerusform>
            <numerusform>%n files</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n folders could not be scanned:</source>
        <translation>
            <numerusform>%n folder could not be scanned:</numerusform>
            <numerusform>%n folders could not be scanned:</numerusform>
        </translation>
    </message>
</context>
</TS>
