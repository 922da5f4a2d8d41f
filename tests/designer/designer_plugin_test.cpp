// The designer plugin loaded as Qt Designer loads it: through QPluginLoader and the widget
// collection interface, using nothing but Qt's API on what it returns.
#include <QColor>
#include <QImage>
#include <QPluginLoader>
#include <QWidget>
#include <QXmlStreamReader>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace {

class DesignerPlugin : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        loader = new QPluginLoader(QStringLiteral(QEL_DESIGNER_PLUGIN));
        collection = qobject_cast<QDesignerCustomWidgetCollectionInterface*>(loader->instance());
    }
    static void TearDownTestSuite()
    {
        collection = nullptr;
        loader->unload();
        delete loader;
        loader = nullptr;
    }
    void SetUp() override
    {
        ASSERT_NE(collection, nullptr) << loader->errorString().toStdString();
        for (QDesignerCustomWidgetInterface* w : collection->customWidgets())
            byName[w->name().toStdString()] = w;
    }
    QDesignerCustomWidgetInterface* widget(const std::string& name)
    {
        auto it = byName.find(name);
        return it == byName.end() ? nullptr : it->second;
    }
    static inline QPluginLoader* loader = nullptr;
    static inline QDesignerCustomWidgetCollectionInterface* collection = nullptr;
    std::map<std::string, QDesignerCustomWidgetInterface*> byName;
};

TEST_F(DesignerPlugin, PutsEveryControlOnTheGroupWithIconTipAndDefaultSize)
{
    for (const char* name : { "TQelEdit", "TQelMemo", "TQelCheckBox", "TQelCombo", "TQelPanel",
             "TQelTabControl", "TQelPageControl", "TQelVectorGrid", "TQelSelectGrid", "TQelGradientLabel",
             "TQelHTMLStaticText", "TQelMultiEdit", "TQelTreeCombo", "TQelListView" }) {
        QDesignerCustomWidgetInterface* w = widget(name);
        ASSERT_NE(w, nullptr) << name;
        EXPECT_EQ(w->group(), QStringLiteral("TelvoODB")) << name;
        EXPECT_FALSE(w->icon().isNull()) << name;
        EXPECT_TRUE(w->toolTip().contains(QLatin1String(name))) << name;
        // The widget box's entry: the class, a name and a geometry with a usable size.
        QXmlStreamReader xml(w->domXml());
        bool sawWidget = false;
        int width = 0, height = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("widget") && !sawWidget) { // pages of page controls follow
                sawWidget = true;
                EXPECT_EQ(xml.attributes().value("class").toString(), QLatin1String(name));
                EXPECT_FALSE(xml.attributes().value("name").isEmpty());
            } else if (xml.name() == QLatin1String("width")) {
                width = xml.readElementText().toInt();
            } else if (xml.name() == QLatin1String("height")) {
                height = xml.readElementText().toInt();
            }
        }
        EXPECT_FALSE(xml.hasError()) << name << ": " << xml.errorString().toStdString();
        EXPECT_TRUE(sawWidget) << name;
        EXPECT_GE(width, 20) << name;
        EXPECT_GE(height, 16) << name;
    }
    // Non-visual components (actions) are no widgets; the toolkit's controls have a group of
    // their own.
    EXPECT_EQ(widget("TQelAction"), nullptr);
    ASSERT_NE(widget("TLabel"), nullptr);
    EXPECT_EQ(widget("TLabel")->group(), QStringLiteral("TelvoODB Standard"));
}

TEST_F(DesignerPlugin, EveryControlHasAnIconOfItsOwn)
{
    std::map<QByteArray, std::string> seen;
    for (auto& [name, w] : byName) {
        const QImage image = w->icon().pixmap(24, 24).toImage();
        const QByteArray bits(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
        const auto [it, fresh] = seen.emplace(bits, name);
        EXPECT_TRUE(fresh) << name << " has the icon of " << it->second;
    }
}

TEST_F(DesignerPlugin, CreatesEveryControlUnderItsOwnClassName)
{
    ASSERT_GT(byName.size(), 25u);
    QWidget form;
    for (auto& [name, w] : byName) {
        std::unique_ptr<QWidget> created(w->createWidget(&form));
        ASSERT_NE(created, nullptr) << name;
        // Qt Designer writes this name into the .ui file.
        EXPECT_STREQ(created->metaObject()->className(), name.c_str());
        EXPECT_TRUE(created->inherits(name.c_str())) << name;
        EXPECT_TRUE(created->inherits("QWidget")) << name;
        EXPECT_FALSE(created->sizeHint().isEmpty()) << name;
        // The control's published properties are the class's own Qt properties.
        EXPECT_GT(created->metaObject()->propertyCount(), QWidget::staticMetaObject.propertyCount()) << name;
        EXPECT_TRUE(created->dynamicPropertyNames().isEmpty()) << name;
    }
}

TEST_F(DesignerPlugin, PublishedPropertiesWithTheirDefaults)
{
    QWidget form;
    auto make = [&](const char* name) {
        QDesignerCustomWidgetInterface* w = widget(name);
        EXPECT_NE(w, nullptr) << name;
        return std::unique_ptr<QWidget>(w ? w->createWidget(&form) : nullptr);
    };
    auto edit = make("TQelEdit");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->property("FieldPath"), QVariant(QString()));
    EXPECT_EQ(edit->property("FieldProp"), QVariant(QString()));
    EXPECT_EQ(edit->property("ReadOnly"), QVariant(false));
    EXPECT_EQ(edit->property("EditOptions"), QVariant(0));
    EXPECT_EQ(edit->property("LabelCaption").metaType().id(), QMetaType::QString);
    // Geometry and name stay the widget's own.
    EXPECT_FALSE(edit->property("Left").isValid());
    EXPECT_FALSE(edit->property("Name").isValid());

    // Option sets are flags of the class, with the elements' names as keys.
    const QMetaObject* meta = edit->metaObject();
    const QMetaProperty options = meta->property(meta->indexOfProperty("EditOptions"));
    ASSERT_TRUE(options.isValid());
    ASSERT_TRUE(options.isFlagType());
    EXPECT_EQ(options.enumerator().keyCount(), 4);
    EXPECT_EQ(options.enumerator().keysToValue("eoHideTime|eoLabelLook"), 1 | 4);
    EXPECT_EQ(options.enumerator().valueToKeys(8), QByteArray("eoEscapeUnicode"));

    auto grid = make("TQelSelectGrid");
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->property("SelectDelay"), QVariant(350));
    EXPECT_EQ(grid->property("ClassName"), QVariant(QString()));
    auto combo = make("TQelCombo");
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->property("KeyStrokeTimeout"), QVariant(500));
    auto label = make("TQelGradientLabel");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->property("ColorTo").metaType().id(), QMetaType::QColor);
    EXPECT_EQ(label->property("Color").metaType().id(), QMetaType::QColor);
    // Column settings and field lists are texts (Qt Designer edits them in a multi-line editor).
    EXPECT_EQ(grid->property("AllColSettings").metaType().id(), QMetaType::QString);
    EXPECT_EQ(grid->property("Fields").metaType().id(), QMetaType::QString);
}

TEST_F(DesignerPlugin, PropertyEditsReachTheControlAndRefusedValuesGoBack)
{
    QWidget form;
    std::unique_ptr<QWidget> edit(widget("TQelEdit")->createWidget(&form));
    edit->setProperty("FieldPath", QStringLiteral("Adressen[0].Ort"));
    EXPECT_EQ(edit->property("FieldPath").toString(), QStringLiteral("Adressen[0].Ort"));
    // A flag value reaches the control (it is read back from it); bits no element stands for are
    // refused.
    edit->setProperty("EditOptions", 1 | 4);
    EXPECT_EQ(edit->property("EditOptions"), QVariant(1 | 4));
    edit->setProperty("EditOptions", 1 | 64);
    EXPECT_EQ(edit->property("EditOptions"), QVariant(1 | 4));
    edit->setProperty("ReadOnly", true);
    EXPECT_EQ(edit->property("ReadOnly"), QVariant(true));

    std::unique_ptr<QWidget> label(widget("TQelGradientLabel")->createWidget(&form));
    label->setProperty("ColorTo", QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(label->property("ColorTo").value<QColor>(), QColor(0x12, 0x34, 0x56));
}

TEST_F(DesignerPlugin, ContainersAcceptChildren)
{
    for (const char* name : { "TQelPanel", "TQelTabControl", "TQelPageControl", "TPanel", "TTabSheet" }) {
        ASSERT_NE(widget(name), nullptr) << name;
        EXPECT_TRUE(widget(name)->isContainer()) << name;
    }
    for (const char* name : { "TQelEdit", "TQelCombo", "TQelVectorGrid", "TLabel" })
        EXPECT_FALSE(widget(name)->isContainer()) << name;

    // A child dropped on a container stays its child, in front of the control's own widget.
    QWidget form;
    form.resize(400, 300);
    std::unique_ptr<QWidget> panel(widget("TQelPanel")->createWidget(&form));
    panel->setGeometry(10, 10, 300, 200);
    QWidget* edit = widget("TQelEdit")->createWidget(panel.get());
    edit->setGeometry(20, 20, 160, 24);
    form.show();
    EXPECT_EQ(edit->parentWidget(), panel.get());
    EXPECT_EQ(panel->childAt(30, 30) ? panel->childAt(30, 30)->window() : nullptr, form.window());
    QWidget* hit = panel->childAt(30, 30);
    ASSERT_NE(hit, nullptr);
    EXPECT_TRUE(hit == edit || edit->isAncestorOf(hit));
    // Resizing the container resizes the control inside it.
    panel->resize(320, 210);
    bool filled = false;
    for (QWidget* c : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (c != edit && c->size() == QSize(320, 210))
            filled = true;
    EXPECT_TRUE(filled);
}

} // namespace
