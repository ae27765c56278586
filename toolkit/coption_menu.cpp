#include "toolkit/coption_menu.h"

#include "toolkit/cframe.h"

#include <algorithm>
#include <cmath>

namespace kestro {

namespace {

constexpr CCoord kRowHeight = 14;
constexpr CCoord kPadding = 6;
constexpr CCoord kMarkWidth = 12;
const CColor kMenuBack{246, 245, 242, 255};
const CColor kMenuFrame{60, 58, 54, 255};
const CColor kMenuText{20, 20, 18, 255};
const CColor kMenuHover{62, 92, 140, 255};
const CColor kMenuCurrent{214, 210, 200, 255};

// The list itself: covers the whole window so a click anywhere reaches it; only the box
// of entries is drawn.
class COptionMenuPopup : public CView {
public:
    COptionMenuPopup(COptionMenu* owner, const CRect& window) : CView(window), menu(owner)
    {
        layout(window);
    }

    void draw(CDrawContext& context) override
    {
        context.setFillColor(kMenuBack);
        context.fillRect(box);
        context.setFrameColor(kMenuFrame);
        context.frameRect(box);
        context.setFont(menu->getMenuFont());
        for (int i = 0; i < menu->getNbEntries(); ++i) {
            const CRect cell = entryRect(i);
            if (i == hovered) {
                context.setFillColor(kMenuHover);
                context.fillRect(cell);
            } else if (i == menu->getCurrentIndex()) {
                context.setFillColor(kMenuCurrent);
                context.fillRect(cell);
            }
            if (i == menu->getCurrentIndex()) {
                // The current entry's mark: a small diamond left of its title.
                context.setFillColor(i == hovered ? kWhiteCColor : kMenuText);
                const CCoord cx = cell.left + kPadding / 2 + 3;
                const CCoord cy = std::floor((cell.top + cell.bottom) / 2);
                context.fillRect(CRect(cx - 1, cy - 2, cx + 2, cy + 3));
                context.fillRect(CRect(cx - 2, cy - 1, cx + 3, cy + 2));
            }
            context.setFontColor(i == hovered ? kWhiteCColor : kMenuText);
            CRect textArea = cell;
            textArea.left += kPadding / 2 + kMarkWidth;
            context.drawString(menu->getEntryTitle(i), textArea, kLeftText);
        }
        setDirty(false);
    }

    MouseResult onMouseDown(CPoint& where, const CButtonState&) override
    {
        const int index = entryAt(where);
        if (!box.pointInside(where)) {
            menu->popupClosed(-1);
            return MouseResult::HandledNoFurtherEvents;
        }
        if (index >= 0)
            menu->popupClosed(index);
        return MouseResult::HandledNoFurtherEvents;
    }

    MouseResult onMouseMoved(CPoint& where, const CButtonState&) override
    {
        setHovered(entryAt(where));
        return MouseResult::Handled;
    }

    MouseResult onMouseExited(CPoint&, const CButtonState&) override
    {
        setHovered(-1);
        return MouseResult::Handled;
    }

    bool onKeyDown(const CKeyCode& key) override
    {
        const int count = menu->getNbEntries();
        int at = hovered >= 0 ? hovered : menu->getCurrentIndex();
        switch (key.virt) {
        case VirtualKey::Escape:
            menu->popupClosed(-1);
            return true;
        case VirtualKey::Return:
        case VirtualKey::Enter:
            menu->popupClosed(at);
            return true;
        case VirtualKey::Up:
            at = std::max(0, at - 1);
            break;
        case VirtualKey::Down:
            at = std::min(count - 1, at + 1);
            break;
        case VirtualKey::Left:
            at = std::max(0, at - COptionMenu::kEntriesPerColumn);
            break;
        case VirtualKey::Right:
            at = std::min(count - 1, at + COptionMenu::kEntriesPerColumn);
            break;
        default:
            return true;
        }
        setHovered(at);
        return true;
    }

    const CRect& getBox() const { return box; }

    CRect entryRect(int index) const
    {
        const int column = index / COptionMenu::kEntriesPerColumn;
        const int row = index % COptionMenu::kEntriesPerColumn;
        const CCoord left = box.left + 1 + column * columnWidth;
        const CCoord top = box.top + 1 + row * kRowHeight;
        return CRect(left, top, left + columnWidth, top + kRowHeight);
    }

private:
    void layout(const CRect& window)
    {
        const int count = menu->getNbEntries();
        const int columns = std::max(1, (count + COptionMenu::kEntriesPerColumn - 1) / COptionMenu::kEntriesPerColumn);
        const int rows = std::min(count, COptionMenu::kEntriesPerColumn);
        CDrawContext measure(PixelSurface{});
        measure.setFont(menu->getMenuFont());
        CCoord widest = 40;
        for (int i = 0; i < count; ++i)
            widest = std::max(widest, measure.getStringWidth(menu->getEntryTitle(i)));
        columnWidth = std::ceil(widest) + kPadding + kMarkWidth;
        const CCoord width = columns * columnWidth + 2;
        const CCoord height = std::max(1, rows) * kRowHeight + 2;
        // Below the control when it fits, else above it; always inside the window.
        const CRect& anchor = menu->getViewSize();
        CCoord top = anchor.bottom;
        if (top + height > window.bottom)
            top = anchor.top - height;
        top = std::clamp(top, window.top, std::max(window.top, window.bottom - height));
        const CCoord left = std::clamp(anchor.left, window.left, std::max(window.left, window.right - width));
        box = CRect(left, top, left + width, top + height);
    }

    int entryAt(const CPoint& where) const
    {
        for (int i = 0; i < menu->getNbEntries(); ++i)
            if (entryRect(i).pointInside(where))
                return i;
        return -1;
    }

    void setHovered(int index)
    {
        if (index == hovered)
            return;
        if (hovered >= 0)
            invalidRect(entryRect(hovered));
        hovered = index;
        if (hovered >= 0)
            invalidRect(entryRect(hovered));
    }

    COptionMenu* menu;
    CRect box;
    CCoord columnWidth = 0;
    int hovered = -1;
};

} // namespace

COptionMenu::COptionMenu(const CRect& rect, CControlListener* controlListener, int controlTag, CBitmap* bitmap,
                         int displayStyle)
    : CParamDisplay(rect, bitmap, displayStyle)
{
    setListener(controlListener);
    setTag(controlTag);
    setMouseEnabled(true);
    setMax(0.0f);
    setDefaultValue(0.0f);
}

COptionMenu::~COptionMenu()
{
    if (popupView != nullptr) {
        if (CFrame* frame = getFrame(); frame != nullptr && frame->getModalView() == popupView)
            frame->setModalView(nullptr);
        popupView = nullptr;
    }
}

bool COptionMenu::addEntry(const char* title, int index)
{
    if (index > getNbEntries())
        return false;
    if (index < 0)
        entries.emplace_back(title);
    else
        entries.insert(entries.begin() + index, CMenuItem(title));
    setMax(static_cast<float>(std::max(0, getNbEntries() - 1)));
    setDirty();
    return true;
}

bool COptionMenu::removeEntry(int index)
{
    if (index < 0 || index >= getNbEntries())
        return false;
    entries.erase(entries.begin() + index);
    setMax(static_cast<float>(std::max(0, getNbEntries() - 1)));
    if (current >= getNbEntries())
        current = getNbEntries() - 1;
    bounceValue();
    setDirty();
    return true;
}

void COptionMenu::removeAllEntry()
{
    entries.clear();
    current = -1;
    setMax(0.0f);
    bounceValue();
    setDirty();
}

CMenuItem* COptionMenu::getEntry(int index)
{
    if (index < 0 || index >= getNbEntries())
        return nullptr;
    return &entries[static_cast<std::size_t>(index)];
}

const char* COptionMenu::getEntryTitle(int index) const
{
    if (index < 0 || index >= getNbEntries())
        return nullptr;
    return entries[static_cast<std::size_t>(index)].getTitle();
}

bool COptionMenu::setEntryTitle(int index, const char* title)
{
    CMenuItem* item = getEntry(index);
    if (item == nullptr)
        return false;
    item->setTitle(title);
    if (index == current)
        setDirty();
    return true;
}

bool COptionMenu::setCurrent(int index)
{
    if (index < 0 || index >= getNbEntries())
        return false;
    current = index;
    setValue(static_cast<float>(index));
    setDirty();
    return true;
}

void COptionMenu::draw(CDrawContext& context)
{
    if ((style & kNoDrawStyle) == 0) {
        drawBack(context);
        drawText(context, getEntryTitle(current));
    }
    setDirty(false);
}

MouseResult COptionMenu::onMouseDown(CPoint&, const CButtonState& buttons)
{
    if (buttons.buttons() == 0)
        return MouseResult::NotHandled;
    popup();
    return MouseResult::HandledNoFurtherEvents;
}

CRect COptionMenu::popupEntryRect(int index) const
{
    if (popupView == nullptr || index < 0 || index >= getNbEntries())
        return {};
    return static_cast<const COptionMenuPopup*>(popupView)->entryRect(index);
}

bool COptionMenu::popup()
{
    CFrame* frame = getFrame();
    if (frame == nullptr || popupView != nullptr || getNbEntries() == 0)
        return false;
    auto* view = new COptionMenuPopup(this, frame->getViewSize());
    if (!frame->setModalView(view)) {
        view->forget();
        return false;
    }
    popupView = view;
    return true;
}

void COptionMenu::popupClosed(int index)
{
    if (popupView == nullptr)
        return;
    CFrame* frame = getFrame();
    popupView = nullptr;
    if (frame != nullptr)
        frame->setModalView(nullptr);
    if (index < 0 || index >= getNbEntries())
        return;
    setCurrent(index);
    beginEdit();
    valueChanged();
    endEdit();
    invalid();
}

} // namespace kestro
