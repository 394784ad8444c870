#!/usr/bin/env python3
"""The built kesthelp.chm, unpacked with extract_chmLib and checked against the program.

The file is checked as a compiled HTML Help file (its header and its #SYSTEM names), for
every topic the product needs, for the two topics the settings program opens by anchor
(read from config/HelpTopic.h), for links that resolve inside the file, and for the texts of
the program that the help describes: the bar's menu items, the Ctrl keys the search box
forwards, the context-menu commands and every control of the two settings pages, read from
the program's own sources and resources.

Usage: help_file_tests.py CHM SOURCE_DIR EXTRACT_CHMLIB WORK_DIR [unittest options]
"""
import html
import html.parser
import os
import re
import shutil
import struct
import subprocess
import sys
import unittest

CHM = SOURCE_DIR = EXTRACTOR = WORK_DIR = None

# The topics of the help, with the subject each one must cover.
REQUIRED_TOPICS = {
    "index.htm": "Kestrune",
    "installing.htm": "Installing and removing Kestrune",
    "toolbar.htm": "Adding the search bar to the taskbar",
    "floatbar.htm": "The floating bar",
    "typing.htm": "Typing and the four match modes",
    "bestmatch.htm": "Best Match and how it learns",
    "folderhistory.htm": "Folder items and history items",
    "autoselect.htm": "Auto-selection",
    "keys.htm": "Keys and the hot key",
    "menu.htm": "The search bar's menu",
    "contextmenu.htm": "The context-menu commands",
    "settings.htm": "The settings",
}


class _Page(html.parser.HTMLParser):
    """The title, the anchors, the links and the visible text of one HTML page."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.title = ""
        self.anchors = []  # (name, offset into text) in document order
        self.links = []
        self.locals = []  # sitemap "Local" values (.hhc and .hhk files)
        self._text = []
        self._in_title = False

    @property
    def text(self):
        return "".join(self._text)

    def _offset(self):
        return len(self.text)

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "title":
            self._in_title = True
        for key in ("name", "id"):
            if key in attrs and tag in ("a", "h1", "h2", "h3", "div", "p", "span"):
                self.anchors.append((attrs[key], self._offset()))
        if tag == "a" and "href" in attrs:
            self.links.append(attrs["href"])
        if tag == "param" and attrs.get("name", "").lower() == "local":
            self.locals.append(attrs.get("value", ""))
        if tag in ("p", "li", "tr", "td", "th", "h1", "h2", "h3", "br", "pre"):
            self._text.append(" ")

    def handle_endtag(self, tag):
        if tag == "title":
            self._in_title = False

    def handle_data(self, data):
        if self._in_title:
            self.title += data
        else:
            self._text.append(data)


def parse_page(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        page = _Page()
        page.feed(f.read())
        page.close()
    return page


def plain(text):
    """Text with runs of white space made single blanks."""
    return re.sub(r"\s+", " ", html.unescape(text)).strip()


def read_source(*parts):
    with open(os.path.join(SOURCE_DIR, *parts), encoding="utf-8", errors="replace") as f:
        return f.read()


def menu_text(text):
    """A menu item's text as the user sees it: no mnemonic marks; (name, key or None)."""
    name, _, key = text.replace("\\t", "\t").partition("\t")
    return name.replace("&", ""), key or None


def dialog_block(rc, name):
    """The control lines of the dialog template `name` in a resource script."""
    match = re.search(r"^" + re.escape(name) + r"\s+DIALOGEX\b.*?^BEGIN\s*$(.*?)^END\s*$", rc, re.M | re.S)
    if not match:
        raise AssertionError(f"dialog {name} not found")
    return match.group(1)


def control_captions(block):
    """The captions of the labelled controls of a dialog block."""
    captions = []
    for kind, caption in re.findall(
        r"^\s*(GROUPBOX|PUSHBUTTON|DEFPUSHBUTTON|AUTOCHECKBOX|AUTORADIOBUTTON|LTEXT)\s+\"([^\"]*)\"", block, re.M
    ):
        caption = re.sub(r"\s*\(example:.*\)$", "", caption)
        if caption and kind != "DEFPUSHBUTTON":
            captions.append(caption.replace("&", ""))
    return captions


class CompiledHelpFile(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not os.path.isfile(CHM):
            raise AssertionError(f"{CHM} was not built")
        cls.unpacked = os.path.join(WORK_DIR, "unpacked")
        shutil.rmtree(cls.unpacked, ignore_errors=True)
        os.makedirs(WORK_DIR, exist_ok=True)
        result = subprocess.run([EXTRACTOR, CHM, cls.unpacked], capture_output=True, text=True)
        if result.returncode != 0:
            raise AssertionError(f"extract_chmLib failed: {result.stdout}{result.stderr}")
        cls.files = set()
        for folder, _, names in os.walk(cls.unpacked):
            for name in names:
                cls.files.add(os.path.relpath(os.path.join(folder, name), cls.unpacked).replace(os.sep, "/"))
        cls.pages = {}

    def page(self, name):
        if name not in self.pages:
            self.assertIn(name, self.files, f"{name} is not in the help file")
            self.pages[name] = parse_page(os.path.join(self.unpacked, name))
        return self.pages[name]

    def section_text(self, topic, anchor, next_anchor=None):
        page = self.page(topic)
        offsets = dict(page.anchors)
        self.assertIn(anchor, offsets, f"{topic} has no anchor {anchor}")
        end = offsets[next_anchor] if next_anchor else len(page.text)
        return plain(page.text[offsets[anchor]:end])

    def test_file_is_compiled_html_help(self):
        with open(CHM, "rb") as f:
            header = f.read(12)
        self.assertEqual(b"ITSF", header[:4])
        self.assertEqual(3, struct.unpack("<I", header[4:8])[0])
        for internal in ("#SYSTEM", "#TOPICS", "#URLTBL", "#URLSTR", "#STRINGS", "$FIftiMain"):
            self.assertIn(internal, self.files)

    def test_system_names_title_default_topic_contents_and_index(self):
        with open(os.path.join(self.unpacked, "#SYSTEM"), "rb") as f:
            data = f.read()
        entries = {}
        position = 4  # after the version
        while position + 4 <= len(data):
            code, length = struct.unpack("<HH", data[position:position + 4])
            entries[code] = data[position + 4:position + 4 + length]
            position += 4 + length
        text = lambda code: entries.get(code, b"").split(b"\0")[0].decode("latin-1")
        self.assertEqual("toc.hhc", text(0))
        self.assertEqual("index.hhk", text(1))
        self.assertEqual("index.htm", text(2))
        self.assertEqual("Kestrune Help", text(3))

    def test_every_topic_is_inside_with_its_title(self):
        for topic, title in REQUIRED_TOPICS.items():
            with self.subTest(topic=topic):
                page = self.page(topic)
                self.assertEqual(title if topic != "index.htm" else "Kestrune Help", plain(page.title))
                self.assertGreater(len(plain(page.text)), 400, f"{topic} says next to nothing")

    def test_every_file_of_the_project_is_inside(self):
        project = read_source("help", "kesthelp.hhp")
        listed = project.split("[FILES]", 1)[1].split("[", 1)[0].split()
        self.assertTrue(set(REQUIRED_TOPICS) <= set(listed))
        for name in listed + ["toc.hhc", "index.hhk"]:
            self.assertIn(name, self.files)

    def test_settings_program_topics_exist_with_their_anchors(self):
        header = read_source("config", "HelpTopic.h")
        topics = re.findall(r'L"kesthelp\.chm::/([^"#]+)#([^"]+)"', header)
        self.assertEqual(
            [("settings.htm", "thesettingsdialog"), ("settings.htm", "configcontextmenu")], topics)
        for topic, anchor in topics:
            with self.subTest(anchor=anchor):
                self.assertIn(anchor, [name for name, _ in self.page(topic).anchors])

    def test_every_link_resolves_inside_the_file(self):
        sources = [name for name in self.files if name.endswith((".htm", ".hhc", ".hhk"))]
        checked = 0
        for source in sources:
            page = self.page(source)
            for link in page.links + page.locals:
                if re.match(r"^[a-z]+:", link):
                    continue  # web addresses and other protocols
                target, _, anchor = link.partition("#")
                target = target or source
                with self.subTest(source=source, link=link):
                    self.assertIn(target, self.files)
                    if anchor:
                        self.assertIn(anchor, [name for name, _ in self.page(target).anchors])
                checked += 1
        self.assertGreater(checked, 50)

    def test_contents_list_every_topic(self):
        listed = {local.partition("#")[0] for local in self.page("toc.hhc").locals}
        self.assertTrue(set(REQUIRED_TOPICS) <= listed, set(REQUIRED_TOPICS) - listed)
        self.assertGreater(len(self.page("index.hhk").locals), 20)

    def test_menu_topic_names_every_menu_item_with_its_key(self):
        source = read_source("band", "SimpleBarDlg.cpp")
        items = [menu_text(t) for t in re.findall(r'insert\([^,]+,\s*\d+,\s*L"([^"]+)"', source)]
        items += [menu_text(t) for t in re.findall(r'dwTypeData = const_cast<wchar_t\*>\(L"([^"]+)"\)', source)]
        self.assertEqual(12, len(items))
        text = plain(self.page("menu.htm").text)
        for name, key in items:
            with self.subTest(item=name):
                self.assertIn(name, text)
                if key:
                    self.assertIn(f"{name} ({key})", text)

    def test_keys_topic_names_every_forwarded_ctrl_key_and_the_hot_key(self):
        source = read_source("band", "search", "CEnterKeyEdit.cpp")
        letters = re.findall(r"case '([A-Z])':", source)
        self.assertEqual(11, len(letters))
        text = plain(self.page("keys.htm").text)
        for letter in letters:
            self.assertIn(f"Ctrl+{letter}", text)
        for key in ("Enter", "Escape", "Delete", "Backspace", "Shift+Insert", "F1", "Alt", "Tab", "Win+S"):
            self.assertIn(key, text)
        for modifier in ("ALT", "CTRL", "SHIFT", "WIN"):
            self.assertIn(modifier, self.section_text("keys.htm", "hotkey"))

    def test_context_menu_topic_names_every_command_and_the_dialog(self):
        rc = read_source("resources", "kestshx", "kestshx.rc")
        commands = re.findall(r'IDS_(?:COPYPATHNAME|COPYSHORTPATHNAME|OPENINCMDWND|RUNWITHPARAMS)\s+"([^"]+)"', rc)
        self.assertEqual(4, len(commands))
        dialog = re.search(r'IDD_RUNPARAMS\s+DIALOGEX.*?CAPTION\s+"([^"]+)"', rc, re.S).group(1)
        text = plain(self.page("contextmenu.htm").text)
        for expected in commands + [dialog] + control_captions(dialog_block(rc, "IDD_RUNPARAMS")):
            with self.subTest(text=expected):
                self.assertIn(expected, text)

    def test_settings_topic_describes_every_control_of_each_page(self):
        rc = read_source("resources", "kestconf", "kestconf.rc")
        pages = {
            "IDD_START_MENU_PAGE": self.section_text("settings.htm", "thesettingsdialog", "configcontextmenu"),
            "IDD_CONTEXT_MENU_PAGE": self.section_text("settings.htm", "configcontextmenu"),
        }
        for dialog, text in pages.items():
            captions = control_captions(dialog_block(rc, dialog))
            self.assertGreater(len(captions), 8)
            for caption in captions:
                with self.subTest(page=dialog, control=caption):
                    self.assertIn(caption, text)

    def test_match_modes_and_auto_select_modes_are_explained(self):
        typing = self.section_text("typing.htm", "matchmodes")
        for mode in ("All", "Start", "Word Start", "Best Match"):
            self.assertIn(mode, typing)
        learning = plain(self.page("bestmatch.htm").text)
        for subject in ("pickmapdata.xml", "30 days", "Clear History", "Ctrl+B"):
            self.assertIn(subject, learning)
        autoselect = plain(self.page("autoselect.htm").text)
        for mode in ("First", "MFU (Most Frequently Used)", "MRU (Most Recently Used)"):
            self.assertIn(mode, autoselect)

    def test_adding_the_toolbar_and_uninstalling_are_explained(self):
        toolbar = plain(self.page("toolbar.htm").text)
        self.assertIn("Toolbars", toolbar)
        self.assertIn("Kestrune", toolbar)
        removing = self.section_text("installing.htm", "uninstall")
        self.assertIn("uninstall.exe", removing)
        self.assertIn("HKEY_CURRENT_USER\\Software\\Brindlewood\\Kestrune", removing)

    def test_floating_bar_topic_names_its_menu_and_its_start_with_windows_option(self):
        source = read_source("floatbar", "FloatBarMenu.cpp")
        items = re.findall(r'CommandId,\s*L"([^"]+)"', source)
        self.assertEqual(3, len(items))
        icon = self.section_text("floatbar.htm", "icon")
        for item in items:
            with self.subTest(item=item):
                self.assertIn(item, icon)
        installer = read_source("installer", "kestrune.nsi")
        option = re.search(r'Section\s+(?:/o\s+)?"(Start the floating bar with Windows)"', installer).group(1)
        self.assertIn(option, self.section_text("floatbar.htm", "starting"))
        shortcut = re.search(r'"(Kestrune Floating Bar)" kestfloat.exe', read_source("installer", "ProgramFiles.nsh"))
        self.assertIsNotNone(shortcut)
        self.assertIn(shortcut.group(1), self.section_text("floatbar.htm", "starting"))


if __name__ == "__main__":
    if len(sys.argv) < 5:
        sys.exit(__doc__)
    CHM, SOURCE_DIR, EXTRACTOR, WORK_DIR = sys.argv[1:5]
    unittest.main(argv=[sys.argv[0]] + sys.argv[5:], verbosity=2)
