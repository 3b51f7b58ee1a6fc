<?xml version='1.0' encoding='utf-8'?>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>AlignmentChoice</name>
    <message>
        <source>%1 — %2 m, %3 to %4</source>
        <translation>%1 — %2 m, %3 to %4</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>unknown</translation>
    </message>
</context>
<context>
    <name>Help</name>
    <message>
        <source>User guide</source>
        <translation>User guide</translation>
    </message>
    <message>
        <source>The user guide is missing: %1</source>
        <translation>The user guide is missing: %1</translation>
    </message>
    <message>
        <source>No program could be started to show the user guide. Open it in a web browser: %1</source>
        <translation>No program could be started to show the user guide. Open it in a web browser: %1</translation>
    </message>
    <message>
        <source>About %1</source>
        <translation>About %1</translation>
    </message>
</context>
<context>
    <name>Review</name>
    <message>
        <source>Horizontal alignment</source>
        <translation>Horizontal alignment</translation>
    </message>
    <message>
        <source>Superelevation</source>
        <translation>Superelevation</translation>
    </message>
    <message>
        <source>Vertical profile</source>
        <translation>Vertical profile</translation>
    </message>
    <message>
        <source>Visibility</source>
        <translation>Visibility</translation>
    </message>
</context>
<context>
    <name>ReviewPort</name>
    <message>
        <source>All alignments</source>
        <translation>All alignments</translation>
    </message>
</context>
<context>
    <name>RoadType</name>
    <message>
        <source>2 lanes</source>
        <translation>2 lanes</translation>
    </message>
    <message>
        <source>3 lanes</source>
        <translation>3 lanes</translation>
    </message>
    <message>
        <source>2x2 lanes</source>
        <translation>2x2 lanes</translation>
    </message>
</context>
<context>
    <name>Verdict</name>
    <message>
        <source>Satisfactory</source>
        <translation>Satisfactory</translation>
    </message>
    <message>
        <source>Fails</source>
        <translation>Fails</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Not assessable</source>
        <translation>Not assessable</translation>
    </message>
</context>
<context>
    <name>corvalinde::ui::ConsoleView</name>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>Select &amp;all</source>
        <translation>Select &amp;all</translation>
    </message>
    <message>
        <source>&amp;Save as text...</source>
        <translation>&amp;Save as text...</translation>
    </message>
    <message>
        <source>Save as text</source>
        <translation>Save as text</translation>
    </message>
    <message>
        <source>Text files (*.txt)</source>
        <translation>Text files (*.txt)</translation>
    </message>
</context>
<context>
    <name>corvalinde::ui::DiagramView</name>
    <message>
        <source>Nothing to draw: no design reviewed yet.</source>
        <translation>Nothing to draw: no design reviewed yet.</translation>
    </message>
</context>
<context>
    <name>corvalinde::ui::FindingsModel</name>
    <message>
        <source>From</source>
        <translation>From</translation>
    </message>
    <message>
        <source>To</source>
        <translation>To</translation>
    </message>
    <message>
        <source>Review</source>
        <translation>Review</translation>
    </message>
    <message>
        <source>Check</source>
        <translation>Check</translation>
    </message>
    <message>
        <source>Verdict</source>
        <translation>Verdict</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Message</translation>
    </message>
</context>
<context>
    <name>corvalinde::ui::MainWindow</name>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Review cancelled.</source>
        <translation>Review cancelled.</translation>
    </message>
    <message>
        <source>&amp;Open a design...</source>
        <translation>&amp;Open a design...</translation>
    </message>
    <message>
        <source>Open a road design and review it</source>
        <translation>Open a road design and review it</translation>
    </message>
    <message>
        <source>Open the &amp;sample design</source>
        <translation>Open the &amp;sample design</translation>
    </message>
    <message>
        <source>&amp;Review again...</source>
        <translation>&amp;Review again...</translation>
    </message>
    <message>
        <source>Review the open design again with another selection</source>
        <translation>Review the open design again with another selection</translation>
    </message>
    <message>
        <source>Export re&amp;port...</source>
        <translation>Export re&amp;port...</translation>
    </message>
    <message>
        <source>Write the review report as a web page or a PDF document</source>
        <translation>Write the review report as a web page or a PDF document</translation>
    </message>
    <message>
        <source>Export &amp;diagrams...</source>
        <translation>Export &amp;diagrams...</translation>
    </message>
    <message>
        <source>Write the diagrams of the review as SVG and PNG files</source>
        <translation>Write the diagrams of the review as SVG and PNG files</translation>
    </message>
    <message>
        <source>Export road &amp;model...</source>
        <translation>Export road &amp;model...</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>&amp;User guide</source>
        <translation>&amp;User guide</translation>
    </message>
    <message>
        <source>&amp;System information</source>
        <translation>&amp;System information</translation>
    </message>
    <message>
        <source>&amp;About Corvalinde</source>
        <translation>&amp;About Corvalinde</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>Open rec&amp;ent</source>
        <translation>Open rec&amp;ent</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>&amp;Language</source>
        <translation>&amp;Language</translation>
    </message>
    <message>
        <source>As the &amp;system (%1)</source>
        <translation>As the &amp;system (%1)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>Main toolbar</source>
        <translation>Main toolbar</translation>
    </message>
    <message>
        <source>The alignment shown</source>
        <translation>The alignment shown</translation>
    </message>
    <message>
        <source>Review a road design</source>
        <translation>Review a road design</translation>
    </message>
    <message>
        <source>Open a design in the native format (.txt), a LandXML file (.xml) or an IFC file (.ifc), or drop one on this window. After you choose the road type and the reviews, the findings appear here beside the plan and the long section.</source>
        <translation>Open a design in the native format (.txt), a LandXML file (.xml) or an IFC file (.ifc), or drop one on this window. After you choose the road type and the reviews, the findings appear here beside the plan and the long section.</translation>
    </message>
    <message>
        <source>All reviews</source>
        <translation>All reviews</translation>
    </message>
    <message>
        <source>All verdicts</source>
        <translation>All verdicts</translation>
    </message>
    <message>
        <source>Re&amp;view:</source>
        <translation>Re&amp;view:</translation>
    </message>
    <message>
        <source>Ver&amp;dict:</source>
        <translation>Ver&amp;dict:</translation>
    </message>
    <message>
        <source>Road designs (*.txt *.xml *.ifc)</source>
        <translation>Road designs (*.txt *.xml *.ifc)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>Open a road design</source>
        <translation>Open a road design</translation>
    </message>
    <message>
        <source>%1 is not a file that can be read.</source>
        <translation>%1 is not a file that can be read.</translation>
    </message>
    <message>
        <source>Station %1</source>
        <translation>Station %1</translation>
    </message>
    <message>
        <source>elevation %1 m</source>
        <translation>elevation %1 m</translation>
    </message>
    <message>
        <source>grade %1 %</source>
        <translation>grade %1 %</translation>
    </message>
    <message>
        <source>radius %1 m</source>
        <translation>radius %1 m</translation>
    </message>
    <message>
        <source>straight</source>
        <translation>straight</translation>
    </message>
    <message>
        <source>crossfall %1 % / %2 %</source>
        <translation>crossfall %1 % / %2 %</translation>
    </message>
    <message>
        <source>%1 — %2 m (%3 to %4)</source>
        <translation>%1 — %2 m (%3 to %4)</translation>
    </message>
    <message>
        <source>No finding here.</source>
        <translation>No finding here.</translation>
    </message>
    <message>
        <source>Export diagrams</source>
        <translation>Export diagrams</translation>
    </message>
    <message>
        <source>Review a design first.</source>
        <translation>Review a design first.</translation>
    </message>
    <message>
        <source>Folder for the diagrams</source>
        <translation>Folder for the diagrams</translation>
    </message>
    <message numerus="yes">
        <source>%n diagram file(s) written.</source>
        <translation><numerusform>%n diagram file written.</numerusform><numerusform>%n diagram files written.</numerusform></translation>
    </message>
    <message>
        <source>These files could not be written:
%1</source>
        <translation>These files could not be written:
%1</translation>
    </message>
    <message>
        <source>Export report</source>
        <translation>Export report</translation>
    </message>
    <message>
        <source>Web page (*.html *.htm);;PDF document (*.pdf)</source>
        <translation>Web page (*.html *.htm);;PDF document (*.pdf)</translation>
    </message>
    <message>
        <source>Give the report a name ending in .html or .pdf: %1</source>
        <translation>Give the report a name ending in .html or .pdf: %1</translation>
    </message>
    <message>
        <source>%1 could not be written.</source>
        <translation>%1 could not be written.</translation>
    </message>
    <message>
        <source>Report written: %1</source>
        <translation>Report written: %1</translation>
    </message>
    <message>
        <source>Export road model</source>
        <translation>Export road model</translation>
    </message>
    <message>
        <source>%1 — Corvalinde</source>
        <translation>%1 — Corvalinde</translation>
    </message>
    <message>
        <source>Alignment: %1</source>
        <translation>Alignment: %1</translation>
    </message>
    <message>
        <source>Reviewing %1...</source>
        <translation>Reviewing %1...</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Reviews a road design for design consistency and safety.</source>
        <translation>Reviews a road design for design consistency and safety.</translation>
    </message>
    <message>
        <source>Language of the program: fr or en.</source>
        <translation>Language of the program: fr or en.</translation>
    </message>
    <message>
        <source>Write a diagnostic log.</source>
        <translation>Write a diagnostic log.</translation>
    </message>
    <message>
        <source>A road design to open and review.</source>
        <translation>A road design to open and review.</translation>
    </message>
    <message>
        <source>Unknown language %1: use fr or en.</source>
        <translation>Unknown language %1: use fr or en.</translation>
    </message>
    <message>
        <source>Give at most one design to open.</source>
        <translation>Give at most one design to open.</translation>
    </message>
</context>
</TS>