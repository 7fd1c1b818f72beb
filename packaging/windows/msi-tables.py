#!/usr/bin/python3
"""Adds to an installer that wixl built what wixl cannot write, in place, with msitools' msibuild:
    - the dialogs: welcome, install folder, progress, finish, cancelled, failed, the cancel
      question, errors and files in use, each titled with the product, its version and the page,
      and each with a default button, so that Enter alone goes from the first page to the last;
    - the install folder remembered: a search for the folder of the program of an installed
      version (its component, which every version shares), actions that make the folder found the
      install folder unless INSTALLDIR is given, and set Settings, Apps's install location to it;
    - upgrades that also replace an installed build of the same version;
    - the program's version in its File row (from its VERSIONINFO), with no file hash in its stead.
    msi-tables.py MSI PROGRAM
"""
import os
import struct
import subprocess
import sys
import tempfile

T = "\t"
WIDTH, HEIGHT = 370, 270
TITLE = "[ProductName] [ProductVersion] Setup"
TEXT = 1 | 2 | 65536 | 131072  # visible, enabled, transparent, '&' shown as it is
BUTTON = 1 | 2  # visible, enabled

# Dialog, width, height, attributes (1 visible, 2 modal, 16 kept while modeless ones come and go,
# 65536 the error dialog), title, first, default and cancel control.
DIALOGS = [
    ("WelcomeDlg", WIDTH, HEIGHT, 3, TITLE + ": Welcome", "Next", "Next", "Cancel"),
    ("FolderDlg", WIDTH, HEIGHT, 3, TITLE + ": Folder", "Install", "Install", "Cancel"),
    ("ProgressDlg", WIDTH, HEIGHT, 1, TITLE + ": Installing", "Cancel", "", "Cancel"),
    ("ExitDlg", WIDTH, HEIGHT, 3, TITLE + ": Finished", "Finish", "Finish", "Finish"),
    ("UserExitDlg", WIDTH, HEIGHT, 3, TITLE + ": Cancelled", "Finish", "Finish", "Finish"),
    ("FatalErrorDlg", WIDTH, HEIGHT, 3, TITLE + ": Failed", "Finish", "Finish", "Finish"),
    ("CancelDlg", 260, 85, 3, TITLE + ": Cancel", "No", "No", "No"),
    ("ErrorDlg", 270, 105, 65539, TITLE + ": Error", "ErrorText", "", ""),
    ("FilesInUse", WIDTH, HEIGHT, 19, TITLE + ": Files in use", "Retry", "Retry", "Exit"),
]

# The buttons Windows Installer shows on the error dialog as an error needs them, by these names.
ERROR_BUTTONS = [("A", "Abort", "ErrorAbort"), ("C", "Cancel", "ErrorCancel"), ("I", "Ignore", "ErrorIgnore"),
                 ("N", "No", "ErrorNo"), ("O", "OK", "ErrorOk"), ("R", "Retry", "ErrorRetry"), ("Y", "Yes", "ErrorYes")]


def page(dialog, heading, text, text_height=110):
    """A page's heading, text and the line above its buttons."""
    return [(dialog, "Title", "Text", 20, 15, 330, 30, TEXT, "", "{\\TitleFont}" + heading, ""),
            (dialog, "Body", "Text", 20, 55, 330, text_height, TEXT, "", text, ""),
            (dialog, "Line", "Line", 0, 234, WIDTH, 0, 1, "", "", "")]


def buttons(dialog, *names_and_texts, last=None):
    """Push buttons at the bottom right, in order, each tabbing to the next, the last to LAST."""
    names = [name for name, _ in names_and_texts]
    x = 304 - 68 * (len(names) - 1)
    rows = []
    for index, (name, text) in enumerate(names_and_texts):
        following = names[index + 1] if index + 1 < len(names) else (last or names[0])
        rows.append((dialog, name, "PushButton", x + 68 * index, 243, 56, 17, BUTTON, "", text, following))
    return rows


CONTROLS = (
    page("WelcomeDlg", "Welcome to [ProductName] [ProductVersion]",
         "This installs [ProductName] [ProductVersion] for every user of this computer: the program, "
         "sierpinski-viewer.exe, which draws the Sierpinski arrowhead curve and carpet, its README and "
         "licences, and a shortcut in the Start menu. It goes into [INSTALLDIR]; the next page lets you "
         "choose another folder. [ProductName] is free software under the MIT licence, which LICENSE.txt "
         "beside the program holds in full.")
    + buttons("WelcomeDlg", ("Next", "&Next"), ("Cancel", "Cancel"))
    + page("FolderDlg", "Install folder",
           "[ProductName] goes into this folder. To choose another, type its path.", 20)
    + [("FolderDlg", "Folder", "PathEdit", 20, 85, 330, 18, BUTTON | 8, "_BrowseProperty", "", "Back")]
    + buttons("FolderDlg", ("Back", "&Back"), ("Install", "&Install"), ("Cancel", "Cancel"), last="Folder")
    + page("ProgressDlg", "Installing [ProductName]",
           "Please wait while [ProductName] [ProductVersion] is installed in [INSTALLDIR].", 30)
    + [("ProgressDlg", "ActionText", "Text", 20, 100, 330, 15, BUTTON, "", "", ""),
       ("ProgressDlg", "ProgressBar", "ProgressBar", 20, 120, 330, 12, 65537, "", "Progress done", "")]
    + buttons("ProgressDlg", ("Cancel", "Cancel"))
    + page("ExitDlg", "[ProductName] is installed",
           "[ProductName] [ProductVersion] is installed in [INSTALLDIR]. Start it from the Start menu, "
           "where it is called [ProductName].")
    + buttons("ExitDlg", ("Finish", "&Finish"))
    + page("UserExitDlg", "Setup was cancelled",
           "[ProductName] [ProductVersion] was not installed, and nothing on this computer was changed.")
    + buttons("UserExitDlg", ("Finish", "&Finish"))
    + page("FatalErrorDlg", "Setup failed",
           "Setup ended because of an error before [ProductName] [ProductVersion] was installed. "
           "Nothing on this computer was changed.")
    + buttons("FatalErrorDlg", ("Finish", "&Finish"))
    + [("CancelDlg", "Text", "Text", 20, 15, 220, 30, TEXT, "",
        "Do you want to cancel the setup of [ProductName] [ProductVersion]?", ""),
       ("CancelDlg", "Yes", "PushButton", 72, 57, 56, 17, BUTTON, "", "&Yes", "No"),
       ("CancelDlg", "No", "PushButton", 132, 57, 56, 17, BUTTON, "", "&No", "Yes"),
       ("ErrorDlg", "ErrorText", "Text", 20, 15, 230, 60, BUTTON | 131072, "", "", "A")]
    + [("ErrorDlg", name, "PushButton", 107, 80, 56, 17, BUTTON, "", text,
        ERROR_BUTTONS[(index + 1) % len(ERROR_BUTTONS)][0]) for index, (name, text, _) in enumerate(ERROR_BUTTONS)]
    + page("FilesInUse", "Files in use",
           "These programs use files that setup must change. Close them and choose Retry, or choose "
           "Ignore to go on and restart the computer afterwards.", 30)
    + [("FilesInUse", "List", "ListBox", 20, 90, 330, 130, 7, "FileInUseProcess", "", "Retry")]
    + buttons("FilesInUse", ("Retry", "&Retry"), ("Ignore", "&Ignore"), ("Exit", "E&xit"), last="List")
)

EVENTS = [
    ("WelcomeDlg", "Next", "NewDialog", "FolderDlg"), ("WelcomeDlg", "Cancel", "SpawnDialog", "CancelDlg"),
    ("FolderDlg", "Back", "NewDialog", "WelcomeDlg"), ("FolderDlg", "Install", "SetTargetPath", "[_BrowseProperty]"),
    ("FolderDlg", "Install", "EndDialog", "Return"), ("FolderDlg", "Cancel", "SpawnDialog", "CancelDlg"),
    ("ProgressDlg", "Cancel", "SpawnDialog", "CancelDlg"),
    ("ExitDlg", "Finish", "EndDialog", "Return"), ("UserExitDlg", "Finish", "EndDialog", "Exit"),
    ("FatalErrorDlg", "Finish", "EndDialog", "Exit"),
    ("CancelDlg", "Yes", "EndDialog", "Exit"), ("CancelDlg", "No", "EndDialog", "Return"),
    ("FilesInUse", "Retry", "EndDialog", "Retry"), ("FilesInUse", "Ignore", "EndDialog", "Ignore"),
    ("FilesInUse", "Exit", "EndDialog", "Exit"),
] + [("ErrorDlg", name, "EndDialog", event) for name, _, event in ERROR_BUTTONS]


def tables(program_component):
    """Every table this adds whole: name, columns, column types, primary keys, rows."""
    events, order = [], {}
    for dialog, control, event, argument in EVENTS:
        order[dialog, control] = order.get((dialog, control), 0) + 1
        events.append((dialog, control, event, argument, "1", order[dialog, control]))
    return [
        ("Dialog", "Dialog HCentering VCentering Width Height Attributes Title Control_First Control_Default Control_Cancel",
         "s72 i2 i2 i2 i2 I4 L128 s50 S50 S50", "Dialog",
         [(dialog[0], 50, 50) + dialog[1:] for dialog in DIALOGS]),
        ("Control", "Dialog_ Control Type X Y Width Height Attributes Property Text Control_Next Help",
         "s72 s50 s20 i2 i2 i2 i2 I4 S72 L0 S50 L50", "Dialog_ Control", [row + ("",) for row in CONTROLS]),
        ("ControlEvent", "Dialog_ Control_ Event Argument Condition Ordering", "s72 s50 s50 s255 S255 I2",
         "Dialog_ Control_ Event Argument Condition", events),
        ("EventMapping", "Dialog_ Control_ Event Attribute", "s72 s50 s50 s50", "Dialog_ Control_ Event",
         [("ProgressDlg", "ActionText", "ActionText", "Text"), ("ProgressDlg", "ProgressBar", "SetProgress", "Progress")]),
        ("TextStyle", "TextStyle FaceName Size Color StyleBits", "s72 s32 i2 I4 I2", "TextStyle",
         [("DefaultFont", "Tahoma", 8, "", ""), ("TitleFont", "Tahoma", 12, "", 1)]),
        # The folder of the program's component, installed by any version (type 0: its folder).
        ("CompLocator", "Signature_ ComponentId Type", "s72 s38 I2", "Signature_",
         [("ProgramFolderOfComponent", program_component, 0)]),
    ]


def write_idt(folder, name, columns, types, keys, rows):
    path = os.path.join(folder, name + ".idt")
    lines = [T.join(columns.split()), T.join(types.split()), T.join([name] + keys.split())]
    lines += [T.join(str(value) for value in row) for row in rows]
    with open(path, "w", encoding="utf-8", newline="") as idt:
        idt.write("\r\n".join(lines) + "\r\n")
    return path


def program_version(path):
    """FILEVERSION of the program's VERSIONINFO: its fixed part begins with 0xFEEF04BD."""
    with open(path, "rb") as program:
        data = program.read()
    at = data.find(struct.pack("<I", 0xFEEF04BD))
    if at < 0:
        sys.exit(f"{path}: no VERSIONINFO")
    most, least = struct.unpack_from("<II", data, at + 8)
    return f"{most >> 16}.{most & 0xFFFF}.{least >> 16}.{least & 0xFFFF}"


def rows(msi, table):
    """A table's rows, as msiinfo exports them."""
    text = subprocess.run(["msiinfo", "export", msi, table], check=True, capture_output=True, text=True).stdout
    return [line.rstrip("\r").split(T) for line in text.splitlines()[3:]]


def main(msi, program):
    (program_component,) = [row[1] for row in rows(msi, "Component") if row[0] == "Program"]
    (upgrade_code,) = [row[1] for row in rows(msi, "Property") if row[0] == "UpgradeCode"]
    (version,) = [row[1] for row in rows(msi, "Property") if row[0] == "ProductVersion"]
    (secure,) = [row[1] for row in rows(msi, "Property") if row[0] == "SecureCustomProperties"]
    queries = [
        "INSERT INTO `AppSearch` (`Property`, `Signature_`) VALUES ('PREVIOUSINSTALLDIR', 'ProgramFolderOfComponent')",
        "UPDATE `Property` SET `Value` = '%s;INSTALLDIR;PREVIOUSINSTALLDIR' WHERE `Property` = 'SecureCustomProperties'"
        % secure,
        # The folder found, unless one is given; and Settings, Apps's install location.
        "INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) "
        "VALUES ('UsePreviousInstallDir', 51, 'INSTALLDIR', '[PREVIOUSINSTALLDIR]')",
        "INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) "
        "VALUES ('SetInstallLocation', 51, 'ARPINSTALLLOCATION', '[INSTALLDIR]')",
    ]
    for sequence in ("InstallUISequence", "InstallExecuteSequence"):
        queries.append(f"INSERT INTO `{sequence}` (`Action`, `Condition`, `Sequence`) "
                       "VALUES ('UsePreviousInstallDir', 'PREVIOUSINSTALLDIR AND NOT INSTALLDIR', 990)")
    queries.append("INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('SetInstallLocation', 1450)")
    # The dialogs in the full interface: welcome (it leads to the folder page) and progress before
    # the installation, and one of the last three after it, by how it ended.
    for dialog, condition, number in (("WelcomeDlg", "NOT Installed", 1297), ("ProgressDlg", "", 1299),
                                      ("ExitDlg", "", -1), ("UserExitDlg", "", -2), ("FatalErrorDlg", "", -3)):
        queries.append("INSERT INTO `InstallUISequence` (`Action`, `Condition`, `Sequence`) "
                       f"VALUES ('{dialog}', '{condition}', {number})")
    # Replace up to this version included (512), not only older ones; the downgrade row stays.
    queries += ["DELETE FROM `Upgrade` WHERE `ActionProperty` = 'WIX_UPGRADE_DETECTED'",
                "INSERT INTO `Upgrade` (`UpgradeCode`, `VersionMax`, `Attributes`, `ActionProperty`) "
                f"VALUES ('{upgrade_code}', '{version}', 513, 'WIX_UPGRADE_DETECTED')"]
    queries += ["UPDATE `File` SET `Version` = '%s', `Language` = '1033' WHERE `File` = 'ViewerExe'"
                % program_version(program),
                "DELETE FROM `MsiFileHash` WHERE `File_` = 'ViewerExe'"]
    with tempfile.TemporaryDirectory() as folder:
        command = ["msibuild", msi]
        for table in tables(program_component):
            command += ["-i", write_idt(folder, *table)]
        subprocess.run(command, check=True)
        for query in queries:  # msibuild runs one query a call
            subprocess.run(["msibuild", msi, "-q", query], check=True)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
