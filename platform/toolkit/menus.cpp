#include "toolkit/menus.h"

#include "toolkit/qtbridge.h"

#include <QActionGroup>
#include <QMenu>
#include <QPointer>
#include <algorithm>
#include <array>
#include <cctype>
#include <strings.h>

TMenuItem::TMenuItem(TComponent* owner)
    : TComponent(owner)
{
}

TMenuItem::~TMenuItem()
{
    Destroying();
    Clear();
    if (parent_)
        parent_->Remove(this);
}

void TMenuItem::SetChecked(bool v)
{
    checked_ = v;
    if (!v || !radioItem_ || !parent_)
        return;
    for (TMenuItem* sibling : parent_->items_)
        if (sibling != this && sibling->radioItem_ && sibling->groupIndex_ == groupIndex_)
            sibling->checked_ = false;
}

TMenuItem* TMenuItem::Items(int index) const
{
    return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)] : nullptr;
}

void TMenuItem::Add(TMenuItem* item)
{
    Insert(Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem* item)
{
    if (!item || item == this)
        return;
    if (item->parent_)
        item->parent_->Remove(item);
    index = std::clamp(index, 0, Count());
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
}

void TMenuItem::Remove(TMenuItem* item)
{
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end())
        return;
    items_.erase(it);
    item->parent_ = nullptr;
}

void TMenuItem::Delete(int index)
{
    if (TMenuItem* item = Items(index)) {
        Remove(item);
        item->Destroying();
        delete item;
    }
}

void TMenuItem::Clear()
{
    while (!items_.empty())
        Delete(Count() - 1);
}

int TMenuItem::IndexOf(const TMenuItem* item) const
{
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

TMenu* TMenuItem::GetParentMenu() const
{
    const TMenuItem* root = this;
    while (root->parent_)
        root = root->parent_;
    return root->menu_;
}

TMenuItem* TMenuItem::Find(const std::string& caption) const
{
    auto strip = [](const std::string& s) {
        std::string r;
        for (char c : s)
            if (c != '&')
                r += c;
        return r;
    };
    const std::string wanted = strip(caption);
    for (TMenuItem* item : items_)
        if (strcasecmp(strip(item->caption_).c_str(), wanted.c_str()) == 0)
            return item;
    return nullptr;
}

void TMenuItem::Click()
{
    if (autoCheck_)
        SetChecked(!checked_);
    OnClick(this);
}

TMenu::TMenu(TComponent* owner)
    : TComponent(owner)
    , items_(new TMenuItem(this))
{
    items_->menu_ = this;
}

TMenu::~TMenu() = default; // the root item is owned and freed with its sub-items

TMenuItem* TMenu::FindItemByShortCut(TShortCut shortCut) const
{
    std::vector<TMenuItem*> stack { items_ };
    while (!stack.empty()) {
        TMenuItem* item = stack.back();
        stack.pop_back();
        for (int i = item->Count() - 1; i >= 0; --i) {
            TMenuItem* sub = item->Items(i);
            if (sub->ShortCut() == shortCut && sub != items_)
                return sub;
            stack.push_back(sub);
        }
    }
    return nullptr;
}

bool TMenu::IsShortCut(TShortCut shortCut)
{
    TMenuItem* item = FindItemByShortCut(shortCut);
    if (!item)
        return false;
    for (TMenuItem* p = item; p && p != items_; p = p->Parent())
        if (!p->Enabled() || !p->Visible())
            return false;
    item->Click();
    return true;
}

struct TPopupMenu::Shown {
    QPointer<QMenu> menu;
};

TPopupMenu::TPopupMenu(TComponent* owner)
    : TMenu(owner)
    , shown_(std::make_unique<Shown>())
{
}

TPopupMenu::~TPopupMenu()
{
    CloseMenu();
}

namespace {

void FillMenu(QMenu* menu, TMenuItem* parent)
{
    QActionGroup* group = nullptr;
    int groupIndex = -1;
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* item = parent->Items(i);
        if (!item->Visible())
            continue;
        if (item->IsLine()) {
            menu->addSeparator();
            continue;
        }
        QString text = ToQString(item->Caption());
        if (item->ShortCut())
            text += QLatin1Char('\t') + ToQString(ShortCutToText(item->ShortCut()));
        if (item->Count() > 0) {
            QMenu* sub = menu->addMenu(text);
            sub->setEnabled(item->Enabled());
            FillMenu(sub, item);
            continue;
        }
        QAction* action = menu->addAction(text);
        action->setEnabled(item->Enabled());
        action->setToolTip(ToQString(item->Hint()));
        if (item->Checked() || item->AutoCheck() || item->RadioItem()) {
            action->setCheckable(true);
            action->setChecked(item->Checked());
        }
        if (item->RadioItem()) {
            if (!group || groupIndex != item->GroupIndex()) {
                group = new QActionGroup(menu);
                groupIndex = item->GroupIndex();
            }
            group->addAction(action);
        }
        if (item->Default()) {
            QFont f = action->font();
            f.setBold(true);
            action->setFont(f);
        }
        QObject::connect(action, &QAction::triggered, menu, [item] { item->Click(); });
    }
}

} // namespace

void TPopupMenu::DoPopup()
{
    OnPopup(this);
}

void TPopupMenu::Popup(int x, int y)
{
    CloseMenu();
    DoPopup();
    auto* menu = new QMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    FillMenu(menu, Items());
    shown_->menu = menu;
    menu->popup(QPoint(x, y));
}

void TPopupMenu::CloseMenu()
{
    if (shown_ && shown_->menu) {
        QMenu* m = shown_->menu;
        shown_->menu = nullptr;
        m->close();
    }
}

QMenu* TPopupMenu::Handle() const
{
    return shown_->menu;
}

namespace {

struct KeyName {
    const char* name;
    WORD vk;
};

// German names first: ShortCutToText writes the first name of a key.
constexpr std::array kKeyNames {
    KeyName { "Rück", VK_BACK },
    KeyName { "BkSp", VK_BACK },
    KeyName { "Backspace", VK_BACK },
    KeyName { "Tab", VK_TAB },
    KeyName { "Esc", VK_ESCAPE },
    KeyName { "Eingabe", VK_RETURN },
    KeyName { "Enter", VK_RETURN },
    KeyName { "Return", VK_RETURN },
    KeyName { "Leer", VK_SPACE },
    KeyName { "Space", VK_SPACE },
    KeyName { "Bild auf", VK_PRIOR },
    KeyName { "PgUp", VK_PRIOR },
    KeyName { "Bild ab", VK_NEXT },
    KeyName { "PgDn", VK_NEXT },
    KeyName { "Ende", VK_END },
    KeyName { "End", VK_END },
    KeyName { "Pos1", VK_HOME },
    KeyName { "Home", VK_HOME },
    KeyName { "Links", VK_LEFT },
    KeyName { "Left", VK_LEFT },
    KeyName { "Auf", VK_UP },
    KeyName { "Up", VK_UP },
    KeyName { "Rechts", VK_RIGHT },
    KeyName { "Right", VK_RIGHT },
    KeyName { "Ab", VK_DOWN },
    KeyName { "Down", VK_DOWN },
    KeyName { "Einfg", VK_INSERT },
    KeyName { "Ins", VK_INSERT },
    KeyName { "Insert", VK_INSERT },
    KeyName { "Entf", VK_DELETE },
    KeyName { "Del", VK_DELETE },
    KeyName { "Delete", VK_DELETE },
    KeyName { "+", VK_OEM_PLUS },
    KeyName { "-", VK_OEM_MINUS },
    KeyName { ",", VK_OEM_COMMA },
    KeyName { ".", VK_OEM_PERIOD },
};

struct Modifier {
    const char* name;
    TShortCut bit;
};

constexpr std::array kModifiers {
    Modifier { "Umsch", scShift },
    Modifier { "Umschalt", scShift },
    Modifier { "Shift", scShift },
    Modifier { "Strg", scCtrl },
    Modifier { "Ctrl", scCtrl },
    Modifier { "Alt", scAlt },
};

bool StartsWithNoCase(const std::string& s, size_t pos, const char* prefix)
{
    const size_t n = std::char_traits<char>::length(prefix);
    return s.size() - pos >= n && strncasecmp(s.c_str() + pos, prefix, n) == 0;
}

WORD KeyFromName(const std::string& name)
{
    if (name.size() == 1) {
        const unsigned char c = static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(name[0])));
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            return c;
    }
    if (name.size() >= 2 && (name[0] == 'F' || name[0] == 'f')) {
        const std::string digits = name.substr(1);
        if (digits.find_first_not_of("0123456789") == std::string::npos) {
            const int n = std::stoi(digits);
            if (n >= 1 && n <= 24)
                return static_cast<WORD>(VK_F1 + n - 1);
        }
    }
    for (auto& k : kKeyNames)
        if (strcasecmp(k.name, name.c_str()) == 0)
            return k.vk;
    return 0;
}

} // namespace

TShortCut TextToShortCut(const std::string& text)
{
    TShortCut mods = 0;
    size_t pos = 0;
    for (bool found = true; found;) {
        found = false;
        for (auto& m : kModifiers) {
            const size_t n = std::char_traits<char>::length(m.name);
            if (StartsWithNoCase(text, pos, m.name) && pos + n < text.size() && text[pos + n] == '+'
                && pos + n + 1 < text.size()) {
                mods |= m.bit;
                pos += n + 1;
                found = true;
                break;
            }
        }
    }
    std::string key = text.substr(pos);
    while (!key.empty() && key.back() == ' ')
        key.pop_back();
    const WORD vk = KeyFromName(key);
    return vk ? static_cast<TShortCut>(vk | mods) : 0;
}

std::string ShortCutToText(TShortCut shortCut)
{
    const WORD vk = shortCut & 0x1FFF;
    std::string name;
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))
        name = std::string(1, static_cast<char>(vk));
    else if (vk >= VK_F1 && vk <= VK_F24)
        name = "F" + std::to_string(vk - VK_F1 + 1);
    else
        for (auto& k : kKeyNames)
            if (k.vk == vk) {
                name = k.name;
                break;
            }
    if (name.empty())
        return {};
    std::string text;
    if (shortCut & scShift)
        text += "Umsch+";
    if (shortCut & scCtrl)
        text += "Strg+";
    if (shortCut & scAlt)
        text += "Alt+";
    return text + name;
}
