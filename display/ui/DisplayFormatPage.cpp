#include "display/ui/DisplayFormatPage.h"

#include "display/ui/NumericBoxFilter.h"
#include "platform/qt/QtText.h"
#include "platform/qt/ValueLabel.h"

#include <QAbstractItemView>
#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalBlocker>

namespace zeva {

namespace {

// The code name as object name, the words a person would say as accessible name.
template <typename W> W* Named(W* widget, const char* name, const QString& spoken) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setAccessibleName(QString(spoken).remove(QLatin1Char('&')));
    return widget;
}

} // namespace

DisplayFormatPage::DisplayFormatPage(QWidget* parent, MessageBox& messages)
    : QGroupBox(QStringLiteral("Field Display Format"), parent), lstDFields_(new QListWidget(this)),
      list_(std::make_unique<QtListBox>(lstDFields_)), editor_(*list_, messages) {
    setObjectName(QStringLiteral("frmDFFields"));
    setAccessibleName(title());
    Named(lstDFields_, "lstDFields", QStringLiteral("Formated Field Display List"));
    lstDFields_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Each row lays out on its own, so the widths of one row never add to another's: the page
    // fits the Setup pane's fixed width.
    auto* page = new QVBoxLayout(this);
    page->addWidget(lstDFields_);
    const auto row = [page] {
        auto* r = new QHBoxLayout;
        page->addLayout(r);
        return r;
    };
    BuildFieldRow(row());
    BuildCheckRow(row());
    BuildSizeRow(row());
    BuildButtonRow(row());
    lblDFClipBoard_ = new ValueLabel(QStringLiteral("Clipboard"), this);
    lblDFClipBoard_->setObjectName(QStringLiteral("lblDFClipBoard"));
    lblDFClipBoard_->setFont(lstDFields_->font());
    page->addWidget(lblDFClipBoard_);

    ConnectBoxes();
    setTabOrder(lstDFields_, cmbDFields_);
    setTabOrder(cmbDFields_, txtDFInsertText_);
    setTabOrder(txtDFInsertText_, chkDFNewLine_);
    Refresh();
}

void DisplayFormatPage::AddLabel(const QString& text, QWidget* buddy, QHBoxLayout* row) {
    auto* l = new QLabel(text, this);
    l->setBuddy(buddy);
    row->addWidget(l);
}

void DisplayFormatPage::BuildFieldRow(QHBoxLayout* fieldRow) {
    cmbDFields_ = Named(new QComboBox(this), "cmbDFields", QStringLiteral("Field"));
    // A field title may be long: the chooser shares the row instead of widening the page.
    cmbDFields_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmbDFields_->setMinimumContentsLength(16);
    cmbDFields_->view()->setAccessibleName(QStringLiteral("Fields"));
    AddLabel(QStringLiteral("&Field"), cmbDFields_, fieldRow);
    fieldRow->addWidget(cmbDFields_, 3);
    txtDFInsertText_ = Named(new QLineEdit(this), "txtDFInsertText", QStringLiteral("Text"));
    AddLabel(QStringLiteral("Te&xt"), txtDFInsertText_, fieldRow);
    fieldRow->addWidget(txtDFInsertText_, 2);
}

void DisplayFormatPage::BuildCheckRow(QHBoxLayout* row) {
    const auto check = [this](const char* name, const char* caption) {
        return Named(new QCheckBox(QString::fromLatin1(caption), this), name, QString::fromLatin1(caption));
    };
    chkDFNewLine_ = check("chkDFNewLine", "&New Line");
    chkDFUCase_ = check("chkDFUCase", "Force &Upper Case");
    chkDFVariable_ = check("chkDFVariable", "F&ixed Size");
    for (QCheckBox* c : {chkDFNewLine_, chkDFUCase_, chkDFVariable_})
        row->addWidget(c);
    row->addStretch();
}

void DisplayFormatPage::BuildSizeRow(QHBoxLayout* sizeRow) {
    // Numeric boxes as wide as a few digits.
    const int digitsWidth = fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16;
    txtDFMaxSize_ = Named(new QLineEdit(this), "txtDFMaxSize", QStringLiteral("Max Size"));
    txtDFMaxSize_->setMaximumWidth(digitsWidth);
    AddLabel(QStringLiteral("&Max Size"), txtDFMaxSize_, sizeRow);
    sizeRow->addWidget(txtDFMaxSize_);
    // The three options are one group: arrow keys move between them.
    const char* options[] = {"No&rmal", "End of Line", "End of Field"};
    for (int i = 0; i < 3; ++i) {
        optMaxSize_[size_t(i)] = new QRadioButton(QString::fromLatin1(options[i]), this);
        optMaxSize_[size_t(i)]->setObjectName(QStringLiteral("optMaxSize(%1)").arg(i));
        optMaxSize_[size_t(i)]->setAccessibleName(optMaxSize_[size_t(i)]->text().remove(QLatin1Char('&')));
        sizeRow->addWidget(optMaxSize_[size_t(i)]);
        connect(optMaxSize_[size_t(i)], &QRadioButton::clicked, this, [this, i] {
            editor_.ChooseMaxSizeOption(i);
            Refresh();
        });
    }
    txtDFSpace_ = Named(new QLineEdit(this), "txtDFSpace", QStringLiteral("Post Space"));
    txtDFSpace_->setMaximumWidth(digitsWidth);
    sizeRow->addSpacing(8);
    AddLabel(QStringLiteral("Post Space"), txtDFSpace_, sizeRow);
    sizeRow->addWidget(txtDFSpace_);
    sizeRow->addStretch();
    InstallNumericFilter(txtDFMaxSize_, DisplayFormatEditor::kMaxSizeDigits);
    InstallNumericFilter(txtDFSpace_, DisplayFormatEditor::kPostSpaceDigits);
}

void DisplayFormatPage::BuildButtonRow(QHBoxLayout* buttonRow) {
    const auto button = [this, buttonRow](const char* name, const char* caption,
                                          void (DisplayFormatEditor::*command)()) {
        auto* b =
            Named(new QPushButton(QString::fromLatin1(caption), this), name, QString::fromLatin1(caption));
        buttonRow->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, command] { Run(command); });
        return b;
    };
    cmdDFAdd_ = button("cmdDFAdd", "&Add", &DisplayFormatEditor::Add);
    cmdDFEdit_ = button("cmdDFEdit", "&Edit", &DisplayFormatEditor::Edit);
    cmdDFOk_ = button("cmdDFOk", "&Ok", &DisplayFormatEditor::Ok);
    cmdDFOk_->setAccessibleName(QStringLiteral("Ok, store the edited entry")); // not the Full fields' Ok
    cmdDFCut_ = button("cmdDFCut", "Cut", &DisplayFormatEditor::Cut);
    cmdDFCopy_ = button("cmdDFCopy", "Cop&y", &DisplayFormatEditor::Copy);
    cmdDFPaste_ = button("cmdDFPaste", "&Paste", &DisplayFormatEditor::Paste);
    cmdDFDelete_ = button("cmdDFDelete", "Delete", &DisplayFormatEditor::Delete);
    cmdDFCut_->setToolTip(QStringLiteral("Cut (Ctrl+X in the list)"));
    cmdDFCopy_->setToolTip(QStringLiteral("Copy (Ctrl+C in the list)"));
    cmdDFPaste_->setToolTip(QStringLiteral("Paste (Ctrl+V in the list)"));
    cmdDFDelete_->setToolTip(QStringLiteral("Delete (Del in the list)"));
    const std::pair<QKeySequence, void (DisplayFormatEditor::*)()> keys[] = {
        {QKeySequence::Cut, &DisplayFormatEditor::Cut},
        {QKeySequence::Copy, &DisplayFormatEditor::Copy},
        {QKeySequence::Paste, &DisplayFormatEditor::Paste},
        {QKeySequence(Qt::Key_Delete), &DisplayFormatEditor::Delete}};
    for (const auto& [key, command] : keys) {
        auto* shortcut = new QShortcut(key, lstDFields_, nullptr, nullptr, Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, command = command] { Run(command); });
    }
}

// The operator's edits go into the editor's controls; no command runs until a button says so.
void DisplayFormatPage::ConnectBoxes() {
    connect(cmbDFields_, &QComboBox::activated, this, [this](int index) {
        editor_.ChooseField(index);
        Refresh();
    });
    // The boxes' texts are read from the boxes, never from a signal's argument: a numeric filter
    // sets the box's text while Qt still has the unfiltered text ("25a") to hand to the handlers
    // connected after it.
    for (QLineEdit* box : {txtDFInsertText_, txtDFMaxSize_, txtDFSpace_})
        connect(box, &QLineEdit::textChanged, this, [this] { TakeBoxTexts(); });
    connect(txtDFMaxSize_, &QLineEdit::editingFinished, this, [this] {
        TakeBoxTexts();
        editor_.LeaveMaxSize();
        Refresh();
    });
    connect(txtDFSpace_, &QLineEdit::editingFinished, this, [this] {
        TakeBoxTexts();
        editor_.LeavePostSpace();
        Refresh();
    });
    connect(chkDFNewLine_, &QCheckBox::toggled, this, [this](bool on) { editor_.controls().NewLine = on; });
    connect(chkDFUCase_, &QCheckBox::toggled, this, [this](bool on) { editor_.controls().UpperCase = on; });
    connect(chkDFVariable_, &QCheckBox::toggled, this,
            [this](bool on) { editor_.controls().FixedSize = on; });
    connect(lstDFields_, &QListWidget::currentRowChanged, this, [this] { Refresh(); });
    connect(lstDFields_, &QListWidget::itemDoubleClicked, this, [this] { Run(&DisplayFormatEditor::Edit); });
}

DisplayFormatPage::~DisplayFormatPage() = default;

void DisplayFormatPage::LoadList(const std::vector<std::string>& lines) {
    editor_.LoadList(lines);
    Refresh();
}

void DisplayFormatPage::SetChooserItems(std::vector<DisplayFormatEditor::ChooserItem> items) {
    editor_.SetChooserItems(std::move(items));
    const QSignalBlocker block(cmbDFields_);
    cmbDFields_->clear();
    for (const auto& item : editor_.ChooserItems())
        cmbDFields_->addItem(ToQt(item.Text), int(item.Data));
    Refresh();
}

void DisplayFormatPage::TakeBoxTexts() {
    DisplayFormatEditor::Controls& c = editor_.controls();
    c.LiteralText = FromQt(txtDFInsertText_->text());
    c.MaxSize = FromQt(txtDFMaxSize_->text());
    c.PostSpace = FromQt(txtDFSpace_->text());
}

void DisplayFormatPage::Run(void (DisplayFormatEditor::*command)()) {
    TakeBoxTexts();
    (editor_.*command)();
    Refresh();
}

void DisplayFormatPage::Refresh() {
    const DisplayFormatEditor::State st = editor_.state();
    const DisplayFormatEditor::Controls& c = editor_.controls();
    // Shown without running any handler: loading an entry must not choose "Normal" and its 100.
    const QSignalBlocker b0(cmbDFields_), b1(txtDFInsertText_), b2(txtDFMaxSize_), b3(txtDFSpace_),
        b4(chkDFNewLine_), b5(chkDFUCase_), b6(chkDFVariable_), b7(lstDFields_);
    cmbDFields_->setCurrentIndex(c.Chooser);
    if (txtDFInsertText_->text() != ToQt(c.LiteralText)) txtDFInsertText_->setText(ToQt(c.LiteralText));
    if (txtDFMaxSize_->text() != ToQt(c.MaxSize)) txtDFMaxSize_->setText(ToQt(c.MaxSize));
    if (txtDFSpace_->text() != ToQt(c.PostSpace)) txtDFSpace_->setText(ToQt(c.PostSpace));
    chkDFNewLine_->setChecked(c.NewLine);
    chkDFUCase_->setChecked(c.UpperCase);
    chkDFVariable_->setChecked(c.FixedSize);
    for (int i = 0; i < 3; ++i) {
        const QSignalBlocker b(optMaxSize_[size_t(i)]);
        optMaxSize_[size_t(i)]->setChecked(c.MaxSizeOption == i);
    }
    txtDFInsertText_->setEnabled(st.LiteralEnabled);
    txtDFMaxSize_->setEnabled(st.MaxSizeEnabled);
    lstDFields_->setEnabled(st.ListEnabled);
    cmdDFOk_->setVisible(st.OkVisible);
    cmdDFEdit_->setVisible(!st.OkVisible);
    cmdDFAdd_->setEnabled(st.Add);
    cmdDFEdit_->setEnabled(st.Edit);
    cmdDFCut_->setEnabled(st.Cut);
    cmdDFCopy_->setEnabled(st.Copy);
    cmdDFDelete_->setEnabled(st.Delete);
    cmdDFPaste_->setEnabled(st.Paste);
    lblDFClipBoard_->setText(ToQt(st.ClipBoard));
}

void DisplayFormatPage::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && editor_.state().EditorMode) {
        Run(&DisplayFormatEditor::Escape);
        return;
    }
    QGroupBox::keyPressEvent(event);
}

} // namespace zeva
