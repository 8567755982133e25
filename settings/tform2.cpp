#include "settings/tform2.h"

#include "platform/fonts.h"
#include "render/strtoint.h"
#include "settings/colorpresets.h"
#include "settings/errorbox.h"
#include "settings/numerickeyfilter.h"
#include "settings/placementpicture.h"
#include "ui_tform2.h"

#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPixmap>
#include <QScreen>

#include <limits>

namespace plavik {

namespace {

std::optional<std::int32_t> EditValue(const QLineEdit* edit) {
    // UTF-8 keeps any non-ASCII character away from the ASCII digits the conversion accepts.
    const QByteArray text = edit->text().toUtf8();
    return TextToInt(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
}

// The family the font database gives a stored name, through the substitutions the program draws with:
// "ＭＳ ゴシック" is "IPAGothic", or "IPAゴシック" where the font database speaks Japanese.
QString InstalledFamily(const QString& name) {
    InstallFontSubstitutions();
    return QFontInfo(QFont(name)).family();
}

// The printer font as the font dialog lists it, so that the dialog opens on it.
QFont ToQFont(const PrinterFont& font) {
    QFont result(InstalledFamily(font.Name));
    if (font.Size > 0)
        result.setPointSize(font.Size);
    result.setBold(font.Style & kBold);
    result.setItalic(font.Style & kItalic);
    result.setUnderline(font.Style & kUnderline);
    result.setStrikeOut(font.Style & kStrikeOut);
    return result;
}

// Takes name, size and style from the chosen font; the colour is not the font dialog's to change. The
// stored name stays while the family chosen is the one it stands for.
void TakeQFont(PrinterFont& font, const QFont& chosen) {
    if (chosen.family() != InstalledFamily(font.Name))
        font.Name = chosen.family();
    if (chosen.pointSize() > 0)
        font.Size = chosen.pointSize();
    else if (chosen.pixelSize() > 0)
        font.Size = (chosen.pixelSize() * 72 + 48) / 96; // a pixel size at the dialog's 96 dpi
    font.Style = (chosen.bold() ? kBold : 0) | (chosen.italic() ? kItalic : 0) |
                 (chosen.underline() ? kUnderline : 0) | (chosen.strikeOut() ? kStrikeOut : 0);
}

std::optional<QFont> RunFontDialog(const QFont& initial, QWidget* parent) {
    QFontDialog dialog(initial, parent);
    // What the dialog shows of the font: a style its family lacks (bold, italic) is not among them.
    const QFont shown = dialog.currentFont();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    // OK without a change gives the font back as it was, with what the dialog could not show.
    return dialog.selectedFont() == shown ? initial : dialog.selectedFont();
}

} // namespace

TForm2::TForm2(TListSettings& settings, PrinterFont& font, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TForm2>()), settings_(settings), font_(font),
      chooseFont_(RunFontDialog) {
    ui_->setupUi(this);
    setFont(InterfaceFont());
    setFixedSize(412, 331);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // Group box captions sit on the frame line, as Windows draws them, so that the controls'
    // places inside the boxes keep their distance from the caption.
    setStyleSheet(
        QStringLiteral("QGroupBox { border: 1px solid palette(mid); border-radius: 2px;"
                       " margin-top: 6px; }"
                       "QGroupBox::title { subcontrol-origin: border; subcontrol-position: top left;"
                       " left: 6px; top: -7px; padding: 0px; }"));

    // Labels size themselves to their text, as the form's labels do.
    for (QLabel* label : findChildren<QLabel*>()) {
        if (label != ui_->Image1 && label != ui_->Image2)
            label->adjustSize();
    }
    ui_->Image1->setPixmap(QPixmap::fromImage(PlacementPicture(PlacementOrder::ColumnByColumn)));
    ui_->Image2->setPixmap(QPixmap::fromImage(PlacementPicture(PlacementOrder::RowByRow)));

    // No button is the default one, so Enter in an edit confirms nothing.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    for (QLineEdit* edit : NumericEdits())
        new NumericKeyFilter(edit, edit->property("digitLimit").toInt());

    connect(ui_->Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(ui_->Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui_->Button4, &QPushButton::clicked, this, &TForm2::Button4Click);
    connect(ui_->Button13, &QPushButton::clicked, this, &TForm2::Button13Click);
    connect(ui_->Button14, &QPushButton::clicked, this, &TForm2::Button14Click);
    connect(ui_->Button15, &QPushButton::clicked, this, &TForm2::Button15Click);

    FormCreate();
}

TForm2::~TForm2() = default;

void TForm2::SelectPageByTag(int tag) {
    QWidget* page = ui_->TabSheet5;
    switch (tag) {
    case 1:
        page = ui_->TabSheet1;
        break;
    case 2:
        page = ui_->TabSheet2;
        break;
    case 3:
        page = ui_->TabSheet5;
        break;
    case 4:
        page = ui_->TabSheet3;
        break;
    case 5:
        page = ui_->TabSheet4;
        break;
    default:
        break;
    }
    ui_->PageControl1->setCurrentWidget(page);
}

void TForm2::SetFontChooser(FontChooser chooser) {
    chooseFont_ = std::move(chooser);
}

void TForm2::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && button->isEnabled())
            button->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

namespace {

// One check box and the flag it shows.
struct CheckField {
    QCheckBox* Ui::TForm2::*control;
    bool TListSettings::*field;
};
// One numeric edit and the number it shows, in the order OK checks them, with the range OK accepts.
struct NumberField {
    QLineEdit* Ui::TForm2::*control;
    std::int32_t TListSettings::*field;
    std::int32_t min = std::numeric_limits<std::int32_t>::min();
    std::int32_t max = std::numeric_limits<std::int32_t>::max();
};
// One radio button and the text mode it stands for.
struct ModeField {
    QRadioButton* Ui::TForm2::*control;
    std::int32_t mode;
};

using U = Ui::TForm2;
using S = TListSettings;

// Every control of the record but the swatches, which go through the palette's own order.
constexpr CheckField kChecks[] = {
    {&U::CheckBox4, &S::UnKnownJwk},  {&U::CheckBox18, &S::UnKnownJwc},    {&U::CheckBox12, &S::prcFileName},
    {&U::CheckBox13, &S::prcComment}, {&U::CheckBox14, &S::prcFileSize},   {&U::CheckBox15, &S::prcFileDate},
    {&U::CheckBox17, &S::prcBorder},  {&U::CheckBox16, &S::prcAddLine},    {&U::CheckBox3, &S::prFileName},
    {&U::CheckBox5, &S::prFileSize},  {&U::CheckBox6, &S::prFileDate},     {&U::CheckBox2, &S::prPos},
    {&U::CheckBox1, &S::prText},      {&U::CheckBox9, &S::prAddLine},      {&U::CheckBox10, &S::prBorder},
    {&U::CheckBox19, &S::PageHeader}, {&U::CheckBox20, &S::prcFitContent},
};
constexpr NumberField kNumbers[] = {
    {&U::Edit7, &S::IconSize, kMinThumbnailSize, kMaxThumbnailSize},
    {&U::Edit10, &S::IconSize2, kMinThumbnailSize, kMaxThumbnailSize},
    {&U::Edit1, &S::MarginTop},
    {&U::Edit2, &S::MarginLeft},
    {&U::Edit3, &S::MarginRight},
    {&U::Edit4, &S::MarginBottom},
    {&U::Edit11, &S::SpaceR2},
    {&U::Edit12, &S::SpaceB2},
    {&U::Edit9, &S::ImageSize2},
    {&U::Edit5, &S::SpaceR},
    {&U::Edit6, &S::SpaceB},
    {&U::Edit8, &S::ImageSize},
};
// "線で表示。" (2) is checked by the form itself and stays so for any unknown mode; 3 is shown although
// it cannot be chosen.
constexpr ModeField kTextModes[] = {{&U::RadioButton9, 1}, {&U::RadioButton7, 2}, {&U::RadioButton8, 3}};

} // namespace

std::vector<QLineEdit*> TForm2::NumericEdits() const {
    std::vector<QLineEdit*> edits;
    for (const NumberField& n : kNumbers)
        edits.push_back((*ui_).*n.control);
    return edits;
}

void TForm2::FormCreate() {
    // Centred on the screen by the window's outer size, halves truncated.
    if (const QScreen* screen = parent() ? parentWidget()->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        const QSize outer = frameGeometry().size();
        move(area.left() + (area.width() - outer.width()) / 2,
             area.top() + (area.height() - outer.height()) / 2);
    }

    const TListSettings& s = settings_;
    const Ui::TForm2& ui = *ui_;
    for (const CheckField& c : kChecks)
        (ui.*c.control)->setChecked(s.*c.field);
    for (const NumberField& n : kNumbers)
        (ui.*n.control)->setText(QString::number(s.*n.field));
    for (const ModeField& m : kTextModes)
        if (s.prcTextMode == m.mode)
            (ui.*m.control)->setChecked(true);
    SwatchColors colors{};
    for (int i = 0; i < 9; ++i)
        colors[i] = s.Colors[SwatchPaletteIndex(i)];
    ShowSwatches(colors);
    ShowPrinterFont();
}

void TForm2::Button1Click() {
    // Every number is checked before anything is copied, so a bad edit leaves the record whole
    // and the dialog open on that edit.
    for (const NumberField& n : kNumbers) {
        QLineEdit* edit = (*ui_).*n.control;
        const std::optional<std::int32_t> value = EditValue(edit);
        if (value && *value >= n.min && *value <= n.max)
            continue;
        for (int i = 0; i < ui_->PageControl1->count(); ++i) {
            if (ui_->PageControl1->widget(i)->isAncestorOf(edit))
                ui_->PageControl1->setCurrentIndex(i);
        }
        ShowErrorBox(this,
                     value ? QStringLiteral("サムネイルのサイズは %1 から %2 までの数値で指定してください。")
                                 .arg(n.min)
                                 .arg(n.max)
                           : QStringLiteral("'%1' は数値ではありません").arg(edit->text()));
        edit->setFocus();
        edit->selectAll();
        return;
    }
    CopyControls();
    accept();
}

void TForm2::CopyControls() {
    TListSettings& s = settings_;
    const Ui::TForm2& ui = *ui_;
    for (const CheckField& c : kChecks)
        s.*c.field = (ui.*c.control)->isChecked();
    for (const NumberField& n : kNumbers)
        s.*n.field = *EditValue(ui.*n.control);
    for (const ModeField& m : kTextModes)
        if ((ui.*m.control)->isChecked())
            s.prcTextMode = m.mode;
    // Border has no swatch and keeps its value.
    const ColorSwatch* swatches[] = {ui_->Shape1, ui_->Shape2, ui_->Shape3, ui_->Shape4, ui_->Shape5,
                                     ui_->Shape6, ui_->Shape7, ui_->Shape8, ui_->Shape9};
    for (int i = 0; i < 9; ++i)
        s.Colors[SwatchPaletteIndex(i)] = swatches[i]->Color();
}

void TForm2::ShowSwatches(const SwatchColors& colors) {
    ColorSwatch* swatches[] = {ui_->Shape1, ui_->Shape2, ui_->Shape3, ui_->Shape4, ui_->Shape5,
                               ui_->Shape6, ui_->Shape7, ui_->Shape8, ui_->Shape9};
    for (int i = 0; i < 9; ++i)
        swatches[i]->SetColor(colors[i]);
}

void TForm2::ShowPrinterFont() {
    // The family the pages are printed in; a stored name that is not installed and stands for it
    // (a Windows font name) shows under it, in brackets, as far as the group box has room.
    const QString used = InstalledFamily(font_.Name);
    const bool substituted = !QFontDatabase::hasFamily(font_.Name);
    ui_->Label19->setText(used);
    QLabel* stored = ui_->Label21;
    const int room = stored->parentWidget()->width() - stored->x() - 8;
    stored->setText(substituted ? stored->fontMetrics().elidedText(QStringLiteral("（%1）").arg(font_.Name),
                                                                   Qt::ElideRight, room)
                                : QString());
    const QString tip = substituted
                            ? QStringLiteral("印刷に使うフォント：%1（設定の名前：%2）").arg(used, font_.Name)
                            : QString();
    ui_->Label19->setToolTip(tip);
    stored->setToolTip(tip);
    ui_->Label20->setText(QString::number(font_.Size));
    ui_->Label19->adjustSize();
    stored->adjustSize();
    ui_->Label20->adjustSize();
}

void TForm2::Button4Click() {
    // A confirmed font takes effect at once: cancelling the settings afterwards does not undo it.
    if (const std::optional<QFont> chosen = chooseFont_(ToQFont(font_), this))
        TakeQFont(font_, *chosen);
    ShowPrinterFont();
}

void TForm2::Button14Click() {
    ShowSwatches(kMonochromePreset);
}

void TForm2::Button15Click() {
    ShowSwatches(kColourPreset);
}

void TForm2::Button13Click() {
    ShowSwatches(kJwCadPreset);
}

} // namespace plavik
