#include "picture_canvas.h"

namespace ui {

void PictureCanvas::Line(float x1, float y1, float x2, float y2, int colour) { picture_.Line(x1, y1, x2, y2, colour); }
void PictureCanvas::ForeColor(int colour) { picture_.ForeColor(colour); }
void PictureCanvas::CurrentX(float x) { picture_.CurrentX(x); }
void PictureCanvas::CurrentY(float y) { picture_.CurrentY(y); }
void PictureCanvas::Print(double number) { picture_.Print(number); }
void PictureCanvas::Clear() { picture_.Clear(); }

void LabelTitle::SetVisible(bool visible) { label_.setVisible(visible); }
void LabelTitle::SetCaption(const std::string& caption) { label_.SetCaption(QString::fromStdString(caption)); }

}  // namespace ui
