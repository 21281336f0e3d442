"""The program's windows as the journeys know them: sizes, the places of
the controls they use, colours and accessible names, in layout pixels (1x).
Written down here from the windows' layout, once for every journey and
platform."""
from dataclasses import dataclass


@dataclass(frozen=True)
class Control:
    name: str            # the control's object name
    x: int
    y: int
    w: int
    h: int
    accessible: str      # its accessible name, as a screen reader reads it

    @property
    def centre(self):
        return self.x + self.w // 2, self.y + self.h // 2


TITLE_SIZE = (802, 632)
MAIN_SIZE = (959, 687)

TITLE_NAME = "バイオリズム"          # the title window's accessible name
MAIN_NAME = "バイオリズム計算"       # the main window's
MESSAGE_CAPTION = "バイオリズム"     # the input error's message box

# The title window.
START = Control("Command1", 664, 464, 65, 49, "開始：バイオリズムの計算画面を開く")
EXIT = Control("Image1", 712, 16, 32, 32, "終了")

# The main window.
BIRTH_ERAS = {
    "大正": Control("Command1", 96, 40, 49, 25, "生年を大正で入力"),
    "昭和": Control("Command2", 160, 40, 49, 25, "生年を昭和で入力"),
    "平成": Control("Command3", 224, 40, 49, 25, "生年を平成で入力"),
    "西暦": Control("Command4", 288, 40, 57, 25, "生年を西暦で入力"),
}
TARGET_ERAS = {
    "大正": Control("Command5", 456, 40, 57, 25, "求める年を大正で入力"),
    "昭和": Control("Command6", 528, 40, 49, 25, "求める年を昭和で入力"),
    "平成": Control("Command7", 592, 40, 49, 25, "求める年を平成で入力"),
    "西暦": Control("Command8", 656, 40, 57, 25, "求める年を西暦で入力"),
}
BOXES = [
    Control("Text1", 96, 88, 49, 18, "生まれた年（入力後Enter）"),
    Control("Text2", 160, 88, 49, 18, "生まれた月（入力後Enter）"),
    Control("Text3", 224, 88, 33, 18, "生まれた日（入力後Enter）"),
    Control("Text4", 288, 88, 49, 18, "生まれた時刻、時間単位（入力後Enter）"),
    Control("Text5", 448, 96, 49, 18, "求める年（入力後Enter）"),
    Control("Text6", 520, 96, 41, 18, "求める月（入力後Enter）"),
]
DECIDE = Control("Command9", 728, 96, 57, 41, "決定：グラフを描く")
RECALCULATE = Control("Command10", 816, 560, 57, 41, "再計算：入力をやり直す")
CLOSE = Control("Image3", 744, 16, 32, 32, "閉じる")
CHART = Control("Picture1", 0, 0, 959, 687, "バイオリズムのグラフ")

# Labels a screen reader reads by their captions, with what they stand for
# as their description.
LABEL_DESCRIPTIONS = {
    "暦年": "生まれた年", "暦月": "生まれた月", "暦日": "生まれた日", "時刻": "生まれた時刻",
    "＋側": "グラフの上半分はプラス側", "－側": "グラフの下半分はマイナス側",
    "身体リズム": "赤の線は身体リズム（23日周期）", "感情リズム": "白の線は感情リズム（28日周期）",
    "知性リズム": "緑の線は知性リズム（33日周期）",
}

# Colours.
NAVY = (0, 0, 128)
YELLOW = (255, 255, 0)
WHITE = (255, 255, 255)
GREEN = (0, 255, 0)
RED = (255, 0, 0)
COMPOSITION = (255, 236, 160)      # the tint under an input method's composition

# The worked example: born 1980-05-15 at 12:00 (西暦), charted for October
# 2005 (西暦). Its summary, as the chart's description, is in
# tests/support/worked_example.h.
WORKED_EXAMPLE_BIRTH = ("1980", "5", "15", "12")
WORKED_EXAMPLE_TARGET = ("2005", "10")
WORKED_EXAMPLE_TITLE = "グレゴリオ暦（西暦） 2005年 10月のバイオリズム"
