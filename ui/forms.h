#pragma once

#include <QColor>
#include <QMainWindow>

#include <functional>
#include <stdexcept>
#include <type_traits>
#include <typeindex>

namespace ui {

namespace testing {
// Unloads every window and forgets how windows are made and connected, after a test has run
// the program in-process.
void resetForms();
} // namespace testing

// Base of the program's windows. Each window type exists at most once: Forms creates it on
// first use and runs Form_Load, and unloading runs Form_Unload and destroys it, so the next
// use builds it afresh. The close box and Alt+F4 unload the window the same way.
class Form : public QMainWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form)

public:
    explicit Form(QWidget* parent = nullptr);
    ~Form() override;

    virtual void Form_Load() {}
    virtual void Form_Unload() {}

protected:
    // Names the window, gives it its caption, a fixed client area below its menu bar (in twips),
    // that area's background and the windows' default font; returns the area.
    QWidget* setUpWindow(const char* name, const QString& caption, int widthTwips, int heightTwips,
                         const QColor& background);
    void closeEvent(QCloseEvent* event) override;

private:
    friend class Forms;
    bool unloading = false;
    bool placed = false;
};

class Forms final {
public:
    template <class F> static F& get()
    {
        if (Form* existing = find(typeid(F)))
            return static_cast<F&>(*existing);
        Form* made = make(typeid(F));
        if (!made) {
            if constexpr (std::is_default_constructible_v<F>)
                made = new F;
            else
                throw std::logic_error("a window used before it was told how to be made");
        }
        auto* form = static_cast<F*>(made);
        // Registered before loading, so the load handler can already refer to its window.
        add(typeid(F), form);
        created(typeid(F), *form);
        load(form);
        return *form;
    }

    // Runs for every window of the type as it is created, before it loads: whoever decides
    // which window follows which connects to the window's signals here.
    template <class F> static void whenCreated(std::function<void(F&)> hook)
    {
        setCreationHook(typeid(F), [hook = std::move(hook)](Form& form) { hook(static_cast<F&>(form)); });
    }

    // How a window that is handed what it works on gets made: whoever owns that registers this
    // before the window's first use. A window without one is made by its default constructor.
    template <class F> static void makeWith(std::function<F*()> maker)
    {
        setMaker(typeid(F), [maker = std::move(maker)]() -> Form* { return maker(); });
    }

    template <class F> static F* find() { return static_cast<F*>(find(typeid(F))); }

    template <class F> static bool isLoaded() { return find(typeid(F)) != nullptr; }

    // Showing or hiding a window that is not loaded loads it first; once the program is
    // ending, nothing new is loaded.
    template <class F> static void show()
    {
        if (!isEnding() || isLoaded<F>())
            showForm(get<F>());
    }

    template <class F> static void hide()
    {
        if (!isEnding() || isLoaded<F>())
            get<F>().hide();
    }

    template <class F> static void unload()
    {
        if (Form* form = find(typeid(F)))
            unload(form);
    }

    static void unload(Form* form);
    // Unloads every window in the order they were loaded; later loads are refused from here on.
    static void unloadAll();
    static bool isEnding();
    static int loadedCount();
    static void showForm(Form& form);
    // Once the event loop is over: destroys the windows that unloading only scheduled for
    // deletion, and any other top-level widget still left.
    static void destroyAll();

private:
    static Form* find(std::type_index type);
    static void add(std::type_index type, Form* form);
    static void created(std::type_index type, Form& form);
    static void setCreationHook(std::type_index type, std::function<void(Form&)> hook);
    static Form* make(std::type_index type);
    static void setMaker(std::type_index type, std::function<Form*()> maker);
    static void load(Form* form);
};

} // namespace ui
