#pragma once

// The quote windows' walk through their form's query list: "<" and ">"
// (Ctrl+Left / Ctrl+Right from anywhere in the window), Delete Query and
// Send Message, enabled by the form's place; and the answered query in the
// details pane. The part quote dialog and the car quote page share it.

#include <functional>

class IBrowserPane;
class IFormHost;
class QBoxLayout;
class QPushButton;
class QWidget;
class QuoteFormBase;

class QuoteWalkButtons
{
public:
    // Built on `parent`; the arrows work anywhere in `scope`. `shown`: the
    // form loaded another query, for the window to show; `ended`: a deleted
    // query left nothing to walk, the window ends.
    QuoteWalkButtons(QWidget *parent, QWidget *scope, QuoteFormBase &form, IFormHost *host,
                     std::function<void()> shown, std::function<void()> ended);

    // "<", ">", Delete Query, Send Message, in this order.
    void AddTo(QBoxLayout *row) const;
    // Enabled by the form's place in its list.
    void Update();
    // To the query at `index`; shown once the form loaded it.
    void Move(int index);

private:
    void DeleteQuery();

    QuoteFormBase &m_form;
    std::function<void()> m_shown, m_ended;
    QPushButton *m_prev, *m_next, *m_delete, *m_message;
};

// The answered query in the details pane (none without a pane or a query).
void ShowQueryDetails(IBrowserPane *pane, const QuoteFormBase &form);
