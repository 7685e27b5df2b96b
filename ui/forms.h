#pragma once

#include <QColor>
#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <stdexcept>
#include <type_traits>
#include <typeindex>
#include <unordered_map>
#include <vector>

namespace ui {

class Forms;

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
    void hideEvent(QHideEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Unloads the window through the registry that loaded it, as its own commands do.
    void unloadSelf();

private:
    friend class Forms;
    Forms* forms = nullptr; // the registry that loaded it, if any
    bool unloading = false;
    bool placed = false;
    bool revealPending = false;
    QPointer<QWidget> focusWhenHidden;
};

// The program's windows, at most one of each type. The start-up root owns one for the run and
// hands it to whoever shows, hides or looks for windows; a test makes its own.
class Forms final {
public:
    Forms() = default;
    ~Forms();
    Forms(const Forms&) = delete;
    Forms& operator=(const Forms&) = delete;

    template <class F> F& get()
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
    template <class F> void whenCreated(std::function<void(F&)> hook)
    {
        setCreationHook(typeid(F), [hook = std::move(hook)](Form& form) { hook(static_cast<F&>(form)); });
    }

    // How a window that is handed what it works on gets made: whoever owns that registers this
    // before the window's first use. A window without one is made by its default constructor.
    template <class F> void makeWith(std::function<F*()> maker)
    {
        setMaker(typeid(F), [maker = std::move(maker)]() -> Form* { return maker(); });
    }

    template <class F> F* find() { return static_cast<F*>(find(typeid(F))); }

    template <class F> bool isLoaded() { return find(typeid(F)) != nullptr; }

    // Showing or hiding a window that is not loaded loads it first; once the program is
    // ending, nothing new is loaded.
    template <class F> void show()
    {
        if (!isEnding() || isLoaded<F>())
            showForm(get<F>());
    }

    template <class F> void hide()
    {
        if (!isEnding() || isLoaded<F>())
            get<F>().hide();
    }

    template <class F> void unload()
    {
        if (Form* form = find(typeid(F)))
            unload(form);
    }

    void unload(Form* form);
    // Unloads every window in the order they were loaded; later loads are refused from here on.
    void unloadAll();
    bool isEnding();
    void showForm(Form& form);
    // Once the event loop is over: destroys the windows that unloading only scheduled for
    // deletion, and any other top-level widget still left.
    void destroyAll();

private:
    friend class Form;
    // Unloads the window from the registry that loaded it, or a window none loaded.
    static void unloadWindow(Form* form);
    Form* find(std::type_index type);
    void add(std::type_index type, Form* form);
    void created(std::type_index type, Form& form);
    void setCreationHook(std::type_index type, std::function<void(Form&)> hook);
    Form* make(std::type_index type);
    void setMaker(std::type_index type, std::function<Form*()> maker);
    void load(Form* form);
    // Puts a window shown during a step on the screen once the step is over, and activates it.
    static void reveal(Form& form);

    struct Entry {
        std::type_index type;
        QPointer<Form> form;
    };
    std::vector<Entry> entries; // in load order
    std::unordered_map<std::type_index, std::function<void(Form&)>> creationHooks;
    std::unordered_map<std::type_index, std::function<Form*()>> makers;
    bool ending = false;
};

} // namespace ui
