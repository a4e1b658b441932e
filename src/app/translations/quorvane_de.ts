<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>quorvane::DiffView</name>
    <message>
        <source>\ No newline at end of file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Computing changes...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No changes.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The last change shown is cut short.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 replacement</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 replacements</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>in 1 place.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>in %1 places.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The first %1 are shown.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>quorvane::ErrorReport</name>
    <message>
        <source>in %1 at line %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please email screenshot of this message to %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Application Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Division by zero</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Invalid picture</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>quorvane::FileListModel</name>
    <message>
        <source>Index out of bounds</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>quorvane::FileListView</name>
    <message>
        <source>Remove entries containing: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove entries not containing: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add File(s) - Hold Ctrl to select multiple files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Load List(s) - Hold Ctrl to select multiple list files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text Files (*.txt);;All Files (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Enter file extension to load:<byte value="xd"/><byte value="xd"/>(* for all files, txt for all txt files, doc for all doc files, etc.)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please select folder:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This dropped entry was not added: a file name cannot hold a NUL character.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>These dropped entries were not added: a file name cannot hold a NUL character.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(and %1 more)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Drag and drop files here. Double-click item to remove it. Move | line to right and out of window to reveal full names.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>These names are not valid UTF-8 and were not added:</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%1 and %n more</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>Line %1 of %2 was not added: a file name cannot hold a NUL character.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Lines %1 of %2 were not added: a file name cannot hold a NUL character.</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>These lines of %1 were not added: the names are not valid UTF-8.</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>line %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File not found</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>quorvane::Form1</name>
    <message>
        <source>The number of lines of Find What and Replace With must be the same.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You forgot to input find what.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No files added.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Folder does not exist. Please select another folder.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Progress Bar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Done.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 set</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 sets</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Drag and drop files here. Double-click item to remove it. Move | line to right and out of window to reveal full names.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add File(s)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add All File(s) In Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Load List Of Files From File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear List</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Load Sample/Example Files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove Filenames Not Cont. X</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove Filenames Contain. X</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop the run (Esc): the file in hand is left as it was</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Run Report...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What the latest run did to each file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Single find and replace</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Multiple find and replace (sets)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start Replacing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> Find what (exact case):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> Replace with:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add Set</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Load Sets</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save Sets</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove Selected Set</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear All Sets</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save Option</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save results to this folder:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save results in folder of original file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This software is intended to be used on text based files, not images, executables, etc.<byte value="xd"/><byte value="xd"/>If you have any questions, please email %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Would you like this software to open the folder where these sample files are stored (so that you can view them before working with them)?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The folder of the sample files could not be opened. It is:<byte value="xd"/><byte value="xd"/>%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please select folder:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Processing: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keep Backups Of Replaced Files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Backup Limits...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open Backup Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The backups are kept in %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please enter a whole number of at least 1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keep the backups of how many runs?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keep at most how many megabytes of backups?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>into %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>in place</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Preview</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Run as &quot;Start Replacing&quot; would, writing nothing, and show what each file would get</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Last Run</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Put back the files the latest run replaced, where nobody has changed them since</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There is no run to undo.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Backups of the files to replace cannot be kept in %1: %2.

Turn off &quot;Keep Backups Of Replaced Files&quot; in the menu of &quot;Undo Last Run&quot; to replace without them.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File(s)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This file given at start-up was not added: its name is not valid UTF-8.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>These files given at start-up were not added: their names are not valid UTF-8.</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>Options</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What folder scans and runs reach in a source tree</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Include Version-Control Folders In Scans</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Let &quot;Add All File(s) In Folder&quot; and dropped folders enter .git, .hg, .svn, .bzr, _darcs and CVS folders</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Replace In Binary Files Too</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Replace also in files without a byte-order mark that hold a NUL byte in their first 8 KiB</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>output folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, %2 in %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Every file it replaced is put back as it was, and every file it created is removed, unless it has been changed since.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo the run of %1 (%2)?

%3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The last run, at %1, kept no backups and cannot be undone.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The last run, at %1, kept no backups and cannot be undone. Undo the run of %2 (%3) instead?

%4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Match whole words</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Replace a find only where no letter, digit, mark or connector such as _ touches it on either side</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ignore case</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Find text in any case; the replacement is inserted as written</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Regular expressions</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Take each find as a regular expression, whose groups the replacement may name (&quot;?&quot; tells how)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Regular Expression Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Regular expressions follow PCRE2&apos;s syntax, by Unicode: . is any character but a line feed, \w a word character, \d a digit, \s white space, \b a word boundary, [abc] one of a set, (...) a group, (?&lt;name&gt;...) a named group; *, +, ? and {2,5} repeat, a|b is either. ^ matches at the file&apos;s start and $ at its end (or before a last line feed), with (?m) at each line&apos;s too; with (?s) . matches a line feed too. A match may span lines, up to 1 MiB.

In Replace with: $1 or ${1} is group 1 ($0 the whole match), ${name} a named group, $$ a dollar sign, \n a line feed, \t a tab and \\ a backslash. A group that took no part inserts nothing; any other $ or \ is refused.

Each line of Find what, and each set&apos;s find, is one pattern. Match whole words and Ignore case apply to patterns too.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>quorvane::Form2</name>
    <message>
        <source>Load Sets</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File To Load:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Separator:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Load</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select Text File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text Files (*.txt)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>If the text file you are loading looks like this:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>then use :: as a Separator</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>then use , as a Separator</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>NOTE: The &apos;Save Sets&apos; feature in this software always saves in this format:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You must enter separating character(s).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 not found.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%1 and %n more</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>Line %1 of %2 was not loaded: its text is not valid UTF-8.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>Lines %1 of %2 were not loaded: their text is not valid UTF-8.</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
</context>
<context>
    <name>quorvane::RunReportWindow</name>
    <message>
        <source>Output</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Replacements</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reason</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Run Report</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Written files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save as CSV...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The run was stopped after its last entry.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stopped at entry %1 of %2, %3: it and the entries after it were not reached.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stopped at entry %1 of %2, %3: it and %4 of the %5 entries after it were not reached.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save Run Report</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CSV Files (*.csv);;All Files (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is not a regular file. The report was not saved.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>would be written</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>would stay unchanged</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Preview</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo Report</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>would fail</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Replace Checked Files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write the checked files, each with its checked changes, as a run that can be undone</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file is in %1.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>quorvane::SetList</name>
    <message>
        <source>Enter find and replace set (use :: to separate find text and replace text):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You must use :: to separate the find text from the replace text</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text Files (*.txt);;All Files (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is not a regular file. The sets were not saved.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Are you sure you wish to overwrite %1 ?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The set with find text %1 and replace text %2 would load back as a different set, since &quot;::&quot; separates the two texts in a sets file. Save anyway?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>quorvane::WindowFace</name>
    <message>
        <source>same file as entry %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>binary file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>empty file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cannot be read: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
