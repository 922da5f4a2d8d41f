#include "toolkit/formloader.h"

#include "toolkit/comctrls.h"
#include "toolkit/designhost.h"
#include "toolkit/extctrls.h"
#include "toolkit/qtbridge.h"
#include "toolkit/registry.h"
#include "toolkit/stdctrls.h"

#include <QApplication>
#include <QBuffer>
#include <QColor>
#include <QCoreApplication>
#include <QFile>
#include <QFont>
#include <QPointer>
#include <QStringDecoder>
#include <QUiLoader>
#include <QXmlStreamReader>
#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <set>

namespace {

// A published property of a control that the prepared text no longer holds. Qt's loader would
// give it to the control's widget as a property of the widget's own (Qt has no such property),
// for finish() to read: here it is read once per text and handed to finish() as that value.
struct TTakenProperty {
    QByteArray name;
    QVariant value;
    // A text Qt's loader translates in the form's class (source text and comment).
    bool translated = false;
    QByteArray source, comment;
};

// The file as Qt's loader is to read it, and what is taken out of it (see PrepareUi).
struct TPreparedUi {
    QByteArray ui;
    std::vector<std::string> tabStops;
    // The .ui's <class>: the context its texts are translated in.
    QByteArray formClass;
    // The taken published properties of each control's widget, by the widget's name, in the
    // file's order.
    std::map<QString, std::vector<TTakenProperty>> taken;
};

// "Scope::name" without its scope.
QStringView Unscoped(QStringView name)
{
    const qsizetype scope = name.lastIndexOf(QLatin1String("::"));
    return (scope < 0 ? name : name.mid(scope + 2)).trimmed();
}

// Qt Designer writes a control's option sets as "Class::a|Class::b" and its enumerations as
// "Class::x"; its published setters read "[a,b]" and "x".
QString ControlSetText(const QString& value)
{
    QStringList names;
    for (QStringView part : QStringView(value).split(QLatin1Char('|'), Qt::SkipEmptyParts))
        if (!part.trimmed().isEmpty())
            names.append(Unscoped(part).toString());
    return QLatin1Char('[') + names.join(QLatin1Char(',')) + QLatin1Char(']');
}

// Reads the <property> element the reader stands on (a control's published property) as Qt's
// loader reads it; false for anything but one value of a kind read here (Qt's loader then reads
// the element itself).
bool ReadTakenProperty(QXmlStreamReader& in, TTakenProperty& p)
{
    for (const QXmlStreamAttribute& a : in.attributes()) {
        if (a.name() == QLatin1String("name"))
            p.name = a.value().toUtf8();
        else if (a.name() != QLatin1String("stdset"))
            return false;
    }
    bool read = false;
    while (!in.hasError()) {
        const QXmlStreamReader::TokenType token = in.readNext();
        if (token == QXmlStreamReader::EndElement)
            return read && !in.hasError();
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (read)
            return false; // a second value: Qt's loader keeps the last
        read = true;
        const QString kind = in.name().toString(); // the reader moves on below
        if (kind == QLatin1String("string")) {
            bool notr = false;
            for (const QXmlStreamAttribute& a : in.attributes()) {
                if (a.name() == QLatin1String("notr"))
                    notr = a.value() == QLatin1String("true") || a.value() == QLatin1String("yes");
                else if (a.name() == QLatin1String("comment"))
                    p.comment = a.value().toUtf8();
                else if (a.name() != QLatin1String("extracomment") && a.name() != QLatin1String("id"))
                    return false;
            }
            // Qt's loader keeps the text without its runs of white space alone.
            QString text;
            for (;;) {
                const QXmlStreamReader::TokenType t = in.readNext();
                if (t == QXmlStreamReader::EndElement || in.hasError() || t == QXmlStreamReader::StartElement)
                    break;
                if (t == QXmlStreamReader::Characters && !in.isWhitespace())
                    text += in.text();
            }
            if (in.hasError() || !in.isEndElement())
                return false;
            p.value = text;
            p.source = text.toUtf8();
            p.translated = !notr && !(p.source.isEmpty() && p.comment.isEmpty());
        } else if (kind == QLatin1String("set") || kind == QLatin1String("enum")) {
            if (!in.attributes().isEmpty())
                return false;
            const bool isSet = kind == QLatin1String("set");
            const QString value = in.readElementText();
            p.value = isSet ? ControlSetText(value) : Unscoped(value).toString();
            p.source = p.value.toString().toUtf8();
            p.translated = !p.source.isEmpty();
        } else if (kind == QLatin1String("number") || kind == QLatin1String("bool")
            || kind == QLatin1String("double")) {
            if (!in.attributes().isEmpty())
                return false;
            const QString text = in.readElementText();
            if (kind == QLatin1String("number"))
                p.value = text.toInt();
            else if (kind == QLatin1String("bool"))
                p.value = text == QLatin1String("true");
            else
                p.value = text.toDouble();
        } else if (kind == QLatin1String("color")) {
            std::optional<int> alpha;
            for (const QXmlStreamAttribute& a : in.attributes()) {
                if (a.name() != QLatin1String("alpha"))
                    return false;
                alpha = a.value().toInt();
            }
            int rgb[3] = { 0, 0, 0 };
            while (in.readNextStartElement()) {
                const QStringView part = in.name();
                const int at = part == QLatin1String("red") ? 0
                    : part == QLatin1String("green")        ? 1
                    : part == QLatin1String("blue")         ? 2
                                                            : -1;
                if (at < 0)
                    return false;
                rgb[at] = in.readElementText().toInt();
            }
            QColor c(rgb[0], rgb[1], rgb[2]);
            if (alpha)
                c.setAlpha(*alpha);
            p.value = QVariant::fromValue(c);
        } else {
            return false;
        }
    }
    return false;
}

// The file as Qt's loader is to read it, in one pass over the text:
// - Qt Designer writes a control's option sets as <set>Class::a|Class::b</set> and its
//   enumerations as <enum>Class::x</enum>. Qt's loader reads those only for properties of a
//   widget's own Qt class; for a control they become the texts its published setters read,
//   "[a,b]" and "x".
// - A control's published properties (their names begin with a capital; Qt's own begin with a
//   small letter) are taken out with their values read (texts, option sets, enumerations,
//   numbers, booleans, colours), so that Qt's loader neither parses nor sets them for each form.
//   Qt's loader reads them all when one is of another kind, when a control has a property that
//   is neither published nor a widget's own, when names repeat or texts are translated by id.
// - The white space between elements (indentation) goes: Qt's loader skips it.
// - The file's tab order (<ui><tabstops>, a flat list of names) is taken out: Qt's loader would
//   look the names up among its own widgets and warn that it finds none (the controls' widgets
//   sit on the target); it is applied after loading.
// A file that does not parse is passed on unchanged for the loader to report.
TPreparedUi PrepareUi(const QByteArray& ui, bool takeProperties = true)
{
    // The changes are cut into the text (positions are the reader's, in the decoded text).
    QStringDecoder decode(QStringDecoder::Utf8);
    const QString text = decode(ui);
    if (decode.hasError())
        return { ui, {}, {}, {} };
    struct Cut {
        qsizetype from, to;
        QString with;
    };
    std::vector<Cut> cuts;
    TPreparedUi prepared;
    QXmlStreamReader in(text);
    std::vector<QString> open; // names of the open elements
    // Per open <widget>: whether a control stands for it, its name, and the cuts and values of its
    // published properties.
    struct OpenWidget {
        bool control = false, top = false;
        QString name;
        std::vector<Cut> cuts;
        std::vector<TTakenProperty> taken;
    };
    std::vector<OpenWidget> widgets;
    std::set<QString> widgetNames;
    bool tabStopsTaken = false;
    qsizetype tokenEnd = 0; // where the last token ended
    const auto tagStart = [&] { return text.lastIndexOf(QLatin1Char('<'), in.characterOffset() - 1); };
    // Removes white space between two elements (not the text of an element).
    const auto cutSpace = [&](qsizetype from, bool afterEnd, QXmlStreamReader::TokenType next) {
        const qsizetype to = text.indexOf(QLatin1Char('<'), from);
        if (to <= from || !(afterEnd || next == QXmlStreamReader::StartElement))
            return;
        for (qsizetype i = from; i < to; ++i)
            if (!text[i].isSpace())
                return;
        cuts.push_back({ from, to, QString() });
    };
    qsizetype space = -1; // where a run of white space seen, not yet cut, begins
    bool lastWasEnd = false;
    while (!in.atEnd()) {
        const qsizetype before = tokenEnd;
        const QXmlStreamReader::TokenType token = in.readNext();
        if (in.hasError())
            return { ui, {}, {}, {} };
        if (token == QXmlStreamReader::Characters && in.isWhitespace() && !in.isCDATA()) {
            space = before;
            tokenEnd = in.characterOffset();
            continue;
        }
        if (space >= 0)
            cutSpace(space, lastWasEnd, token);
        space = -1;
        lastWasEnd = token == QXmlStreamReader::EndElement;
        if (token == QXmlStreamReader::StartElement) {
            const QStringView name = in.name();
            if (open.size() == 1 && open.front() == QLatin1String("ui")) {
                if (name == QLatin1String("tabstops") && !tabStopsTaken) {
                    tabStopsTaken = true;
                    const qsizetype from = tagStart();
                    while (in.readNextStartElement()) {
                        if (in.name() == QLatin1String("tabstop"))
                            prepared.tabStops.push_back(FromQString(in.readElementText().trimmed()));
                        else
                            in.skipCurrentElement();
                    }
                    if (in.hasError())
                        return { ui, {}, {}, {} };
                    cuts.push_back({ from, in.characterOffset(), QString() });
                    tokenEnd = in.characterOffset();
                    lastWasEnd = true;
                    continue;
                }
                if (name == QLatin1String("class")) {
                    prepared.formClass = in.readElementText().toUtf8();
                    if (in.hasError())
                        return { ui, {}, {}, {} };
                    tokenEnd = in.characterOffset();
                    lastWasEnd = true;
                    continue;
                }
            }
            if (name == QLatin1String("ui") && open.empty()
                && in.attributes().hasAttribute(QLatin1String("idbasedtr")))
                takeProperties = false;
            OpenWidget* widget = !open.empty() && open.back() == QLatin1String("widget") && !widgets.empty()
                ? &widgets.back()
                : nullptr;
            if (takeProperties && widget && widget->control && !widget->top
                && name == QLatin1String("property")) {
                const QString property = in.attributes().value(QLatin1String("name")).toString();
                if (property.isEmpty() || property.front().unicode() >= 128 || !property.front().isUpper()) {
                    // Unless it is one of every widget's own, Qt's loader hands it over as well:
                    // Qt's loader reads them all, so that they come in the file's order.
                    if (QWidget::staticMetaObject.indexOfProperty(property.toUtf8().constData()) < 0)
                        takeProperties = false;
                } else {
                    const qsizetype from = tagStart();
                    TTakenProperty p;
                    if (!ReadTakenProperty(in, p))
                        return PrepareUi(ui, false); // Qt's loader reads what this does not
                    widget->cuts.push_back({ from, in.characterOffset(), QString() });
                    widget->taken.push_back(std::move(p));
                    tokenEnd = in.characterOffset();
                    lastWasEnd = true;
                    continue;
                }
            }
            const bool ofControl = open.size() >= 2 && open.back() == QLatin1String("property")
                && open[open.size() - 2] == QLatin1String("widget") && !widgets.empty()
                && widgets.back().control;
            const bool isSet = name == QLatin1String("set");
            if (ofControl && (isSet || name == QLatin1String("enum"))) {
                const qsizetype from = tagStart();
                const QString value = in.readElementText();
                if (in.hasError())
                    return { ui, {}, {}, {} };
                const QString with = isSet ? ControlSetText(value) : Unscoped(value).toString();
                cuts.push_back({ from, in.characterOffset(),
                    QLatin1String("<string>") + with.toHtmlEscaped() + QLatin1String("</string>") });
                tokenEnd = in.characterOffset();
                lastWasEnd = true;
                continue;
            }
            if (name == QLatin1String("widget")) {
                OpenWidget w;
                w.name = in.attributes().value(QLatin1String("name")).toString();
                w.control = GetClass(FromQString(in.attributes().value(QLatin1String("class")).toString()))
                    != nullptr;
                // The top widget stands for the target, never for a control.
                w.top = widgets.empty();
                if (!w.top && !widgetNames.insert(w.name).second)
                    takeProperties = false; // a name given twice
                widgets.push_back(std::move(w));
            }
            open.push_back(name.toString());
        } else if (token == QXmlStreamReader::EndElement && !open.empty()) {
            if (open.back() == QLatin1String("widget") && !widgets.empty()) {
                OpenWidget& w = widgets.back();
                if (!w.taken.empty()) {
                    cuts.insert(cuts.end(), w.cuts.begin(), w.cuts.end());
                    prepared.taken[w.name] = std::move(w.taken);
                }
                widgets.pop_back();
            }
            open.pop_back();
        }
        tokenEnd = in.characterOffset();
    }
    if (!takeProperties && !prepared.taken.empty())
        return PrepareUi(ui, false); // found out late: read everything again, taking nothing
    if (cuts.empty()) {
        prepared.ui = ui;
        return prepared;
    }
    std::sort(cuts.begin(), cuts.end(), [](const Cut& a, const Cut& b) { return a.from < b.from; });
    QString out;
    out.reserve(text.size());
    qsizetype at = 0;
    for (const Cut& cut : cuts) {
        if (cut.from < at)
            continue;
        out += QStringView(text).mid(at, cut.from - at);
        out += cut.with;
        at = cut.to;
    }
    out += QStringView(text).mid(at);
    prepared.ui = out.toUtf8();
    return prepared;
}

// Qt's loader looks for Designer's widget plugins when it is made: one is made per program and
// kept for every form that is loaded (a form loaded while another loads gets a loader of its own).
class TControlUiLoader : public QUiLoader {
public:
    // Starts a load into `target`; the result collects what is made.
    void begin(TWinControl* target, TComponent* owner, const TPreparedUi& prepared, TFormLoadResult& result)
    {
        target_ = target;
        owner_ = owner;
        prepared_ = &prepared;
        result_ = &result;
        root_ = nullptr;
        reported_.clear();
        fontsBefore_.clear();
        taken_.clear();
        busy_ = true;
    }
    void end()
    {
        delete root_;
        busy_ = false;
    }
    bool busy() const { return busy_; }

    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override
    {
        if (!parent && !root_) {
            // The top widget only carries the form's children over to the target.
            root_ = new QWidget();
            root_->setObjectName(name);
            return root_;
        }
        const std::string cls = FromQString(className);
        QWidget* place = placeOn(parent);
        if (!GetClass(cls) && availableWidgets().contains(className) && !isPage(className, parent))
            return QUiLoader::createWidget(className, place, name);
        // A page that Qt Designer inserted into a page control is a plain widget in the file.
        TComponent* made = CreateComponent(isPage(className, parent) ? "TTabSheet" : cls, owner_);
        auto* control = dynamic_cast<TControl*>(made);
        if (!control) {
            delete made; // a registered class that is no control
            warn("Unbekannte Klasse \"" + cls + "\" (" + FromQString(name) + ") durch ein Panel ersetzt");
            auto* panel = new TPanel(owner_);
            panel->SetBevelOuter(bvNone);
            control = panel;
        }
        control->SetName(FromQString(name));
        control->Handle()->setObjectName(name);
        control->BeginLoading();
        // The nearest control above stays the parent; a Qt widget between (a group box, a
        // splitter) holds the control's widget.
        TWinControl* parentControl
            = parent == root_ ? target_ : dynamic_cast<TWinControl*>(TControl::FromWidget(parent));
        if (parentControl)
            control->SetParent(parentControl);
        if (place && control->Handle()->parentWidget() != place)
            control->Handle()->setParent(place);
        result_->controls.push_back(control);
        // The file's properties come after this; a font that differs afterwards is the file's.
        fontsBefore_.push_back(control->Handle()->font());
        const auto taken = prepared_->taken.find(name);
        taken_.push_back(taken != prepared_->taken.end() ? &taken->second : nullptr);
        return control->Handle();
    }

    // Layouts go where the children's widgets go: the client area of the control they belong to
    // (the top widget's onto the target).
    QLayout* createLayout(const QString& className, QObject* parent, const QString& name) override
    {
        QObject* on = parent;
        if (parent && parent->isWidgetType())
            on = placeOn(static_cast<QWidget*>(parent));
        return QUiLoader::createLayout(className, on, name);
    }

    // Applies what the file set on each control's widget to the control.
    void finish()
    {
        // What the file set, read before anything is applied: a parent's font or bounds would
        // move its children's widgets.
        struct Designed {
            QRect geometry;
            std::optional<QFont> font;
        };
        std::vector<Designed> designed;
        for (std::size_t i = 0; i < result_->controls.size(); ++i) {
            QWidget* w = result_->controls[i]->Handle();
            Designed d { w->geometry(), std::nullopt };
            if (w->font() != fontsBefore_[i])
                d.font = w->font();
            designed.push_back(d);
        }
        for (std::size_t i = 0; i < result_->controls.size(); ++i) {
            TControl* c = result_->controls[i];
            QWidget* w = c->Handle();
            // A layout places its controls (the file gives them no geometry).
            if (!w->testAttribute(Qt::WA_LaidOut)) {
                const QRect g = designed[i].geometry;
                c->SetBounds(g.x(), g.y(), g.width(), g.height());
            }
            if (designed[i].font) {
                TFont font;
                AssignQFont(font, *designed[i].font);
                c->SetFont(font);
            }
            // What Qt's loader gave the widget, read before the setters add theirs.
            const QList<QByteArray> given = w->dynamicPropertyNames();
            if (taken_[i])
                for (const TTakenProperty& p : *taken_[i])
                    apply(c, p.name, valueOf(p));
            for (const QByteArray& name : given) {
                if (name.startsWith("_q_"))
                    continue;
                apply(c, name, w->property(name.constData()));
                w->setProperty(name.constData(), QVariant());
            }
            // A page's caption as Qt Designer keeps it for pages it inserted.
            if (auto* sheet = dynamic_cast<TTabSheet*>(c); sheet && sheet->Caption().empty())
                sheet->SetCaption(FromQString(w->windowTitle()));
        }
        for (TControl* c : result_->controls)
            c->EndLoading();
    }

private:
    // A property the file gives the control, as Qt's loader hands it over.
    void apply(TControl* c, const QByteArray& name, const QVariant& value)
    {
        if (!c->IsPublishedProp(name.toStdString()))
            warn("Unbekannte Eigenschaft \"" + name.toStdString() + "\" von " + c->ClassName());
        else if (!SetDesignProperty(c, QString::fromUtf8(name), value))
            warn("Ungültiger Wert \"" + FromQString(value.toString()) + "\" für " + c->ClassName() + "."
                + name.toStdString());
    }
    // A taken property's value; a text translated now, as Qt's loader translates it.
    QVariant valueOf(const TTakenProperty& p) const
    {
        if (!p.translated)
            return p.value;
        return QCoreApplication::translate(
            prepared_->formClass.constData(), p.source.constData(), p.comment.constData());
    }

    // The widget that children of `parent` go on: a control's client area, the target's for the
    // top widget, or a Qt widget itself.
    QWidget* placeOn(QWidget* parent) const
    {
        if (!parent)
            return nullptr;
        if (parent == root_)
            return target_->ClientWidget();
        auto* bridge = dynamic_cast<TControlBridge*>(parent);
        if (auto* control = bridge ? dynamic_cast<TWinControl*>(bridge->Control()) : nullptr)
            return control->ClientWidget();
        return parent;
    }
    bool isPage(const QString& className, QWidget* parent) const
    {
        auto* bridge = dynamic_cast<TControlBridge*>(parent);
        return className == QLatin1String("QWidget") && bridge
            && dynamic_cast<TPageControl*>(bridge->Control()) != nullptr;
    }

    void warn(const std::string& text)
    {
        if (!reported_.insert(text).second)
            return;
        result_->warnings.push_back(text);
        qWarning("Formular: %s", text.c_str());
    }

    TWinControl* target_ = nullptr;
    TComponent* owner_ = nullptr;
    TFormLoadResult* result_ = nullptr;
    QPointer<QWidget> root_;
    std::set<std::string> reported_;
    std::vector<QFont> fontsBefore_;
    const TPreparedUi* prepared_ = nullptr;
    // Per control: its taken properties (nullptr: none).
    std::vector<const std::vector<TTakenProperty>*> taken_;
    bool busy_ = false;
};

// Within each parent the named controls come first, in the file's order; the others keep their
// order after them. A name that is no control of the file is reported.
void applyTabStops(const std::vector<std::string>& names, TFormLoadResult& result)
{
    std::map<std::string, TWinControl*> byName;
    for (TControl* c : result.controls)
        if (auto* w = dynamic_cast<TWinControl*>(c))
            byName.emplace(c->Name(), w);
    std::map<const TWinControl*, int> next; // the next tab position within each parent
    std::set<std::string> seen;
    for (const std::string& name : names) {
        if (!seen.insert(name).second)
            continue; // a name listed twice keeps its first place
        const auto it = byName.find(name);
        if (it == byName.end()) {
            const std::string text = "Unbekanntes Steuerelement \"" + name + "\" in der Tabulatorreihenfolge";
            result.warnings.push_back(text);
            qWarning("Formular: %s", text.c_str());
            continue;
        }
        TWinControl* w = it->second;
        if (w->Parent())
            w->SetTabOrder(next[w->Parent()]++);
    }
}

// Forms are loaded again and again (a form opened for each object): the last few prepared texts
// are kept, by their content. A load holds its own reference: a load meanwhile may push it out.
std::shared_ptr<const TPreparedUi> Prepared(const QByteArray& ui)
{
    struct Entry {
        QByteArray source;
        std::shared_ptr<const TPreparedUi> prepared;
    };
    static std::vector<Entry> recent; // most recent first
    for (std::size_t i = 0; i < recent.size(); ++i)
        if (recent[i].source == ui) {
            std::rotate(recent.begin(), recent.begin() + static_cast<std::ptrdiff_t>(i),
                recent.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            return recent.front().prepared;
        }
    if (recent.size() == 4)
        recent.pop_back();
    recent.insert(recent.begin(), Entry { ui, std::make_shared<const TPreparedUi>(PrepareUi(ui)) });
    return recent.front().prepared;
}

TFormLoadResult loadFrom(TWinControl* target, const QByteArray& ui, TComponent* owner)
{
    const std::shared_ptr<const TPreparedUi> prepared = Prepared(ui);
    QByteArray text = prepared->ui;
    QBuffer device(&text);
    device.open(QIODevice::ReadOnly);
    TFormLoadResult result;
    static QPointer<TControlUiLoader> shared;
    if (!shared && qApp) {
        shared = new TControlUiLoader();
        shared->setParent(qApp);
    }
    std::unique_ptr<TControlUiLoader> own;
    TControlUiLoader* loader
        = shared && !shared->busy() ? shared.data() : (own = std::make_unique<TControlUiLoader>()).get();
    loader->begin(target, owner, *prepared, result);
    struct End {
        TControlUiLoader* loader;
        ~End() { loader->end(); }
    } end { loader };
    if (!loader->load(&device, nullptr)) {
        // Qt's message names a line and column of the prepared text: the file's own reading
        // names them in the file (Qt's loader reads the whole text before it makes a widget).
        if (result.controls.empty() && prepared->ui != ui) {
            static const TPreparedUi asWritten;
            loader->end();
            loader->begin(target, owner, asWritten, result);
            QByteArray original = ui;
            QBuffer file(&original);
            file.open(QIODevice::ReadOnly);
            if (loader->load(&file, nullptr)) {
                loader->finish();
                result.ok = true;
                return result;
            }
        }
        result.error = FromQString(loader->errorString());
        return result;
    }
    loader->finish();
    applyTabStops(prepared->tabStops, result);
    result.ok = true;
    return result;
}

} // namespace

void RegisterStandardComponents()
{
    RegisterComponents(kStandardPalettePage,
        { ComponentClass<TLabel>(), ComponentClass<TEdit>(), ComponentClass<TButton>(),
            ComponentClass<TCheckBox>(), ComponentClass<TPanel>(), ComponentClass<TPageControl>(),
            ComponentClass<TTabSheet>() });
}

TFormLoadResult LoadFormFromUiFile(TWinControl* target, const std::string& fileName, TComponent* owner)
{
    QFile file(ToQString(fileName));
    if (!file.open(QIODevice::ReadOnly)) {
        TFormLoadResult result;
        result.error = "Die Datei \"" + fileName + "\" lässt sich nicht öffnen.";
        return result;
    }
    return loadFrom(target, file.readAll(), owner);
}

TFormLoadResult LoadFormFromUiText(TWinControl* target, const std::string& uiText, TComponent* owner)
{
    return loadFrom(target, QByteArray(uiText.data(), static_cast<qsizetype>(uiText.size())), owner);
}
