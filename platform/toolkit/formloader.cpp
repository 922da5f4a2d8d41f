#include "toolkit/formloader.h"

#include "toolkit/comctrls.h"
#include "toolkit/designhost.h"
#include "toolkit/extctrls.h"
#include "toolkit/qtbridge.h"
#include "toolkit/registry.h"
#include "toolkit/stdctrls.h"

#include <QBuffer>
#include <QFile>
#include <QFont>
#include <QPointer>
#include <QStringDecoder>
#include <QUiLoader>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <map>
#include <memory>
#include <optional>
#include <set>

namespace {

class TControlUiLoader : public QUiLoader {
public:
    TControlUiLoader(TWinControl* target, TComponent* owner, TFormLoadResult& result)
        : target_(target)
        , owner_(owner)
        , result_(result)
    {
    }

    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override
    {
        if (!parent && !root_) {
            // The top widget only carries the form's children over to the target.
            root_ = new QWidget();
            root_->setObjectName(name);
            return root_;
        }
        const std::string cls = FromQString(className);
        TWinControl* parentControl
            = parent == root_ ? target_ : dynamic_cast<TWinControl*>(TControl::FromWidget(parent));
        if (!GetClass(cls) && availableWidgets().contains(className))
            return QUiLoader::createWidget(
                className, parentControl ? parentControl->ClientWidget() : parent, name);
        TComponent* made = CreateComponent(cls, owner_);
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
        if (parentControl)
            control->SetParent(parentControl);
        result_.controls.push_back(control);
        // The file's properties come after this; a font that differs afterwards is the file's.
        fontsBefore_.push_back(control->Handle()->font());
        return control->Handle();
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
        for (std::size_t i = 0; i < result_.controls.size(); ++i) {
            QWidget* w = result_.controls[i]->Handle();
            Designed d { w->geometry(), std::nullopt };
            if (w->font() != fontsBefore_[i])
                d.font = w->font();
            designed.push_back(d);
        }
        for (std::size_t i = 0; i < result_.controls.size(); ++i) {
            TControl* c = result_.controls[i];
            QWidget* w = c->Handle();
            const QRect g = designed[i].geometry;
            c->SetBounds(g.x(), g.y(), g.width(), g.height());
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
        }
        for (TControl* c : result_.controls)
            c->EndLoading();
    }

    void dropRoot() { delete root_; }

private:
    void warn(const std::string& text)
    {
        if (!reported_.insert(text).second)
            return;
        result_.warnings.push_back(text);
        qWarning("Formular: %s", text.c_str());
    }

    TWinControl* target_;
    TComponent* owner_;
    TFormLoadResult& result_;
    QPointer<QWidget> root_;
    std::set<std::string> reported_;
    std::vector<QFont> fontsBefore_;
};

// The file's tab order (<tabstops>, a flat list of names as Qt Designer writes it). Qt's loader
// would look the names up among its own widgets and warn that it finds none (the controls' widgets
// sit on the target), so the list is taken out of the text before loading and applied after.
std::vector<std::string> takeTabStops(QByteArray& ui)
{
    QStringDecoder decode(QStringDecoder::Utf8);
    const QString text = decode(ui);
    if (decode.hasError() || !text.contains(QLatin1String("tabstops")))
        return {};
    std::vector<std::string> names;
    qsizetype start = -1, end = -1;
    // Only the list that belongs to the file itself: <ui><tabstops><tabstop>.
    QXmlStreamReader xml(text);
    if (xml.readNextStartElement() && xml.name() == QLatin1String("ui")) {
        while (xml.readNextStartElement()) {
            if (xml.name() != QLatin1String("tabstops") || start >= 0) {
                xml.skipCurrentElement();
                continue;
            }
            start = text.lastIndexOf(QLatin1Char('<'), xml.characterOffset() - 1);
            while (xml.readNextStartElement()) {
                if (xml.name() == QLatin1String("tabstop"))
                    names.push_back(FromQString(xml.readElementText().trimmed()));
                else
                    xml.skipCurrentElement();
            }
            end = xml.characterOffset();
        }
    }
    // A damaged file goes to Qt's loader as it is, which reports what is wrong with it.
    if (xml.hasError() || start < 0 || end < start)
        return {};
    ui = (text.left(start) + text.mid(end)).toUtf8();
    return names;
}

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

// Qt Designer writes a control's option sets as <set>Class::a|Class::b</set> and its enumerations
// as <enum>Class::x</enum>. Qt's loader reads those only for properties of a widget's own Qt
// class; for a control they become the texts its published setters read, "[a,b]" and "x".
// A file that does not parse is passed on unchanged for the loader to report.
QByteArray ControlEnumsAsTexts(const QByteArray& ui)
{
    QXmlStreamReader in(ui);
    QByteArray out;
    QXmlStreamWriter w(&out);
    std::vector<QString> open; // names of the open elements
    std::vector<bool> controlWidgets; // per open <widget>: whether a control stands for it
    while (!in.atEnd()) {
        const QXmlStreamReader::TokenType token = in.readNext();
        if (in.hasError())
            return ui;
        if (token == QXmlStreamReader::StartElement) {
            const QStringView name = in.name();
            const bool ofControl = open.size() >= 2 && open.back() == QLatin1String("property")
                && open[open.size() - 2] == QLatin1String("widget") && !controlWidgets.empty()
                && controlWidgets.back();
            const bool isSet = name == QLatin1String("set");
            if (ofControl && (isSet || name == QLatin1String("enum"))) {
                const QString text = in.readElementText();
                if (in.hasError())
                    return ui;
                QString value;
                if (isSet) {
                    QStringList names;
                    for (QStringView part : QStringView(text).split(QLatin1Char('|'), Qt::SkipEmptyParts))
                        if (!part.trimmed().isEmpty())
                            names.append(Unscoped(part).toString());
                    value = QLatin1Char('[') + names.join(QLatin1Char(',')) + QLatin1Char(']');
                } else {
                    value = Unscoped(text).toString();
                }
                w.writeTextElement(QStringLiteral("string"), value);
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
        w.writeCurrentToken(in);
    }
    return out;
}

TFormLoadResult loadFrom(TWinControl* target, const QByteArray& ui, TComponent* owner)
{
    QByteArray bytes = ControlEnumsAsTexts(ui);
    const std::vector<std::string> tabStops = takeTabStops(bytes);
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    TFormLoadResult result;
    TControlUiLoader loader(target, owner, result);
    QWidget* top = loader.load(&device, nullptr);
    if (!top) {
        result.error = FromQString(loader.errorString());
        loader.dropRoot();
        return result;
    }
    loader.finish();
    applyTabStops(tabStops, result);
    loader.dropRoot();
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
