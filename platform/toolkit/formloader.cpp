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

TFormLoadResult loadFrom(TWinControl* target, QIODevice& device, TComponent* owner)
{
    TFormLoadResult result;
    TControlUiLoader loader(target, owner, result);
    QByteArray ui = device.readAll();
    const std::vector<std::string> tabStops = takeTabStops(ui);
    QBuffer text(&ui);
    text.open(QIODevice::ReadOnly);
    QWidget* top = loader.load(&text, nullptr);
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
    return loadFrom(target, file, owner);
}

TFormLoadResult LoadFormFromUiText(TWinControl* target, const std::string& uiText, TComponent* owner)
{
    QByteArray bytes(uiText.data(), static_cast<qsizetype>(uiText.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return loadFrom(target, buffer, owner);
}
