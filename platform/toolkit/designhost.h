#pragma once
// Controls in Qt Designer and in forms loaded from .ui files. Inside the toolkit and its Qt-side
// users (the designer plugin, the form loader) only: it exposes Qt.
//
// A control's published properties appear as Qt properties of its widget, each under its own
// name with the value type Qt Designer edits: texts (lines and references included), booleans,
// integers, floating numbers, colours for TColor properties, option sets as flags and
// enumerations as enums of the class. Position and size are the widget's geometry, the name its
// objectName.
#include "toolkit/control.h"

#include <QPointer>
#include <QSize>
#include <QString>
#include <QVariant>
#include <QWidget>
#include <map>
#include <string>
#include <vector>

class TTabSheet;

struct TDesignProperty {
    QString name;
    QVariant value;
};

// The Qt type under which the designer edits a published property.
enum class TDesignType { String, Bool, Int, Double, Color, Set, Enum };

// A control class as Qt sees it: a QWidget of the control's class name whose properties are the
// control's published ones (built once per class from a sample).
struct TDesignClass {
    struct Property {
        std::string name;
        TDesignType type;
        TPropType prop;
        // A text of several lines (lines, SQL texts, HTML texts): Qt Designer edits it in its
        // multi-line editor and keeps every line.
        bool multiLine = false;
    };
    std::vector<Property> props;
    QMetaObject* meta = nullptr;
    TDesignClass() = default;
    TDesignClass(const TDesignClass&) = delete;
    TDesignClass& operator=(const TDesignClass&) = delete;
    ~TDesignClass();
};
const TDesignClass* DesignClassOf(const std::string& className, const TComponent* sample);

// The published properties a form designer edits, with the component's current values (its
// defaults when it is new), in publishing order.
std::vector<TDesignProperty> DesignProperties(const TComponent* component);
// Writes a Qt value into the published property; false when there is no such property, it is
// read-only or refuses the value.
bool SetDesignProperty(TComponent* component, const QString& name, const QVariant& value);
// Whether the designer lets children be dropped on controls of this kind (panels, page and tab
// controls, tab sheets).
bool IsContainerControl(const TControl* control);
// The size a new control of this kind gets on a form.
QSize DefaultDesignSize(const TControl* control);

// The widget Qt Designer places for a control: it creates the control of the class by name,
// owns it, shows the control's widget over its whole area, and reads and writes the control's
// published properties as its own Qt properties.
class TDesignHost : public QWidget {
public:
    // Control() is nullptr when no class of that name is registered.
    TDesignHost(const QString& className, QWidget* parent);
    ~TDesignHost() override;
    TControl* Control() const { return control_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // A page control's pages as Qt Designer holds them: hosts of tab sheets, or plain widgets
    // that Designer inserted (their window title is the tab's caption). The page control shows
    // the tab of every page; only the current page is shown, over its client area.
    bool HoldsPages() const;
    int PageCount() const { return static_cast<int>(pages_.size()); }
    QWidget* Page(int index) const;
    int CurrentPage() const;
    void SetCurrentPage(int index);
    void InsertPage(int index, QWidget* page);
    void RemovePage(int index);
    // The widget reports the control's class name as its own (Qt Designer writes that name into
    // the .ui file and checks it against the name it asked for).
    const QMetaObject* metaObject() const override;
    void* qt_metacast(const char* name) override;
    int qt_metacall(QMetaObject::Call call, int id, void** argv) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void readProperty(const TDesignClass::Property& p, void* value) const;
    void writeProperty(const TDesignClass::Property& p, const void* value);
    // Data controls look as when connected: enabled, their field named where a value would be.
    void showAsAtRunTime();
    void placePages();
    void detachPage(std::size_t slot);

    struct PageSlot {
        QPointer<QWidget> page;
        TTabSheet* sheet = nullptr;
        bool ownSheet = false; // a stand-in sheet for a plain page
    };
    std::vector<PageSlot> pages_;

    TControl* control_ = nullptr;
    const TDesignClass* class_ = nullptr;
    // References as written in the designer, by property name.
    std::map<std::string, QString> references_;
};
