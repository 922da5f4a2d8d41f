#include "toolkit/formloader.h"

#include "toolkit/comctrls.h"
#include "toolkit/designhost.h"
#include "toolkit/extctrls.h"
#include "toolkit/qtbridge.h"
#include "toolkit/registry.h"
#include "toolkit/stdctrls.h"

#include <QApplication>
#include <QBuffer>
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

// Qt's loader looks for Designer's widget plugins when it is made: one is made per program and
// kept for every form that is loaded (a form loaded while another loads gets a loader of its own).
class TControlUiLoader : public QUiLoader {
public:
    // Starts a load into `target`; the result collects what is made.
    void begin(TWinControl* target, TComponent* owner, TFormLoadResult& result)
    {
        target_ = target;
        owner_ = owner;
        result_ = &result;
        root_ = nullptr;
        reported_.clear();
        fontsBefore_.clear();
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
            for (const QByteArray& name : w->dynamicPropertyNames()) {
                if (name.startsWith("_q_"))
                    continue;
                const QVariant value = w->property(name.constData());
                const QString qname = QString::fromUtf8(name);
                if (!c->IsPublishedProp(name.toStdString()))
                    warn("Unbekannte Eigenschaft \"" + name.toStdString() + "\" von " + c->ClassName());
                else if (!SetDesignProperty(c, qname, value))
                    warn("Ungültiger Wert \"" + FromQString(value.toString()) + "\" für " + c->ClassName()
                        + "." + name.toStdString());
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

// "Scope::name" without its scope.
QStringView Unscoped(QStringView name)
{
    const qsizetype scope = name.lastIndexOf(QLatin1String("::"));
    return (scope < 0 ? name : name.mid(scope + 2)).trimmed();
}

// The file as Qt's loader is to read it, in one pass over the text:
// - Qt Designer writes a control's option sets as <set>Class::a|Class::b</set> and its
//   enumerations as <enum>Class::x</enum>. Qt's loader reads those only for properties of a
//   widget's own Qt class; for a control they become the texts its published setters read,
//   "[a,b]" and "x".
// - The file's tab order (<ui><tabstops>, a flat list of names) is taken out: Qt's loader would
//   look the names up among its own widgets and warn that it finds none (the controls' widgets
//   sit on the target); it is applied after loading.
// A file that does not parse is passed on unchanged for the loader to report.
struct TPreparedUi {
    QByteArray ui;
    std::vector<std::string> tabStops;
};

TPreparedUi PrepareUi(const QByteArray& ui)
{
    // The changes are cut into the text (positions are the reader's, in the decoded text).
    QStringDecoder decode(QStringDecoder::Utf8);
    const QString text = decode(ui);
    if (decode.hasError())
        return { ui, {} };
    struct Cut {
        qsizetype from, to;
        QString with;
    };
    std::vector<Cut> cuts;
    TPreparedUi prepared;
    QXmlStreamReader in(text);
    std::vector<QString> open; // names of the open elements
    std::vector<bool> controlWidgets; // per open <widget>: whether a control stands for it
    bool tabStopsTaken = false;
    const auto tagStart = [&] { return text.lastIndexOf(QLatin1Char('<'), in.characterOffset() - 1); };
    while (!in.atEnd()) {
        const QXmlStreamReader::TokenType token = in.readNext();
        if (in.hasError())
            return { ui, {} };
        if (token == QXmlStreamReader::StartElement) {
            const QStringView name = in.name();
            if (name == QLatin1String("tabstops") && open.size() == 1 && open.front() == QLatin1String("ui")
                && !tabStopsTaken) {
                tabStopsTaken = true;
                const qsizetype from = tagStart();
                while (in.readNextStartElement()) {
                    if (in.name() == QLatin1String("tabstop"))
                        prepared.tabStops.push_back(FromQString(in.readElementText().trimmed()));
                    else
                        in.skipCurrentElement();
                }
                if (in.hasError())
                    return { ui, {} };
                cuts.push_back({ from, in.characterOffset(), QString() });
                continue;
            }
            const bool ofControl = open.size() >= 2 && open.back() == QLatin1String("property")
                && open[open.size() - 2] == QLatin1String("widget") && !controlWidgets.empty()
                && controlWidgets.back();
            const bool isSet = name == QLatin1String("set");
            if (ofControl && (isSet || name == QLatin1String("enum"))) {
                const qsizetype from = tagStart();
                const QString value = in.readElementText();
                if (in.hasError())
                    return { ui, {} };
                QString with;
                if (isSet) {
                    QStringList names;
                    for (QStringView part : QStringView(value).split(QLatin1Char('|'), Qt::SkipEmptyParts))
                        if (!part.trimmed().isEmpty())
                            names.append(Unscoped(part).toString());
                    with = QLatin1Char('[') + names.join(QLatin1Char(',')) + QLatin1Char(']');
                } else {
                    with = Unscoped(value).toString();
                }
                cuts.push_back({ from, in.characterOffset(),
                    QLatin1String("<string>") + with.toHtmlEscaped() + QLatin1String("</string>") });
                continue;
            }
            if (name == QLatin1String("widget"))
                controlWidgets.push_back(
                    GetClass(FromQString(in.attributes().value(QLatin1String("class")).toString()))
                    != nullptr);
            open.push_back(name.toString());
        } else if (token == QXmlStreamReader::EndElement && !open.empty()) {
            if (open.back() == QLatin1String("widget") && !controlWidgets.empty())
                controlWidgets.pop_back();
            open.pop_back();
        }
    }
    if (cuts.empty()) {
        prepared.ui = ui;
        return prepared;
    }
    QString out;
    out.reserve(text.size());
    qsizetype at = 0;
    for (const Cut& cut : cuts) {
        out += QStringView(text).mid(at, cut.from - at);
        out += cut.with;
        at = cut.to;
    }
    out += QStringView(text).mid(at);
    prepared.ui = out.toUtf8();
    return prepared;
}

// Forms are loaded again and again (a form opened for each object): the last few prepared texts
// are kept, by their content.
const TPreparedUi& Prepared(const QByteArray& ui)
{
    struct Entry {
        QByteArray source;
        TPreparedUi prepared;
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
    recent.insert(recent.begin(), Entry { ui, PrepareUi(ui) });
    return recent.front().prepared;
}

TFormLoadResult loadFrom(TWinControl* target, const QByteArray& ui, TComponent* owner)
{
    TPreparedUi prepared = Prepared(ui);
    QBuffer device(&prepared.ui);
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
    loader->begin(target, owner, result);
    struct End {
        TControlUiLoader* loader;
        ~End() { loader->end(); }
    } end { loader };
    if (!loader->load(&device, nullptr)) {
        result.error = FromQString(loader->errorString());
        return result;
    }
    loader->finish();
    applyTabStops(prepared.tabStops, result);
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
