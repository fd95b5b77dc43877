// SPDX-License-Identifier: MIT
// The controller's shared machinery (work on the worker, Esc, the end of the
// session), the routing of a click to its button's step, and the connection
// buttons.
#include "kestrix_controller.h"

#include <utility>

#include "connect_report.h"
#include "control_ids.h"
#include "kestlink.h"
#include "messages.h"

namespace kestrix {

KestrixController::KestrixController(View &view, Toolkit &toolkit, CompareTable &compareTable)
    : view_(view), toolkit_(toolkit), compareTable_(compareTable)
{
    worker_.emplace();
    showFields(view_, fields_);
}

KestrixController::~KestrixController() { shutdown(); }

void KestrixController::post(Step step)
{
    toolkit_.post([alive = std::weak_ptr<bool>(alive_), step = std::move(step)] {
        if (alive.lock())
            step();
    });
}

void KestrixController::beginWork()
{
    continued_ = true;
    if (!busy_) {
        busy_ = true;
        view_.setBusy(true);
    }
}

void KestrixController::work(std::function<Step()> job)
{
    if (!worker_)
        return;
    beginWork();
    worker_->run([this, job = std::move(job)] {
        Step then = job();
        post([this, then = std::move(then)] { finish(then); });
    });
}

void KestrixController::finish(const Step &step)
{
    continued_ = false;
    if (step)
        step();
    if (!continued_) {
        busy_ = false;
        view_.setBusy(false);
    }
}

void KestrixController::say(const std::string &text, MessageIcon icon) { toolkit_.message(text, icon); }

bool KestrixController::fetch() { return fetchFields(view_, toolkit_, fields_); }

void KestrixController::appendRow(RowTexts row)
{
    records_.append(std::move(row));
    view_.rowsAppended(records_.size() - 1, 1);
}

void KestrixController::showRows(std::vector<RowTexts> rows)
{
    const std::size_t first = records_.size();
    for (auto &row : rows)
        records_.append(std::move(row));
    view_.rowsAppended(first, records_.size() - first);
}

void KestrixController::escape()
{
    if (downloading_)
        stopRequested_ = true;
    else if (!busy_)
        view_.closeDialog();
}

void KestrixController::shutdown()
{
    stopRequested_ = true;
    worker_.reset(); // the transaction in hand ends; nothing queued after it runs
    alive_.reset();  // nor anything it posted
}

void KestrixController::press(int controlId)
{
    using Step = void (KestrixController::*)();
    static const std::pair<int, Step> buttons[] = {
        {IDOK, &KestrixController::closeChecked},
        {IDC_CONNECT, &KestrixController::connect},
        {IDC_DISCONNECT, &KestrixController::disconnect},
        {IDC_READ_ALL, &KestrixController::readAll},
        {IDC_SET_TIME, &KestrixController::setTime},
        {IDC_DELETE_ALL, &KestrixController::deleteAll},
        {IDC_SAVE_FILE, &KestrixController::saveFile},
        {IDC_CLEAR_LIST, &KestrixController::clearList},
        {IDC_QUERY_COUNT, &KestrixController::queryCount},
        {IDC_READ_ONE, &KestrixController::readOne},
        {IDC_OPEN_COMPARE, &KestrixController::openCompareFile},
        {IDC_DOWNLOAD_COMPARE, &KestrixController::downloadCompareList},
        {IDC_DELETE_COMPARE, &KestrixController::deleteCompareList},
        {IDC_REMOVE_DUPLICATES, &KestrixController::removeDuplicates},
        {IDC_READ_RANGE, &KestrixController::readRange},
    };
    for (const auto &[id, step] : buttons)
        if (id == controlId)
            return (this->*step)();
}

void KestrixController::closeChecked()
{
    if (!busy_ && fetch())
        view_.closeDialog();
}

void KestrixController::connect()
{
    if (busy_)
        return;
    work([this]() -> Step {
        if (KX_Connect() == 1)
            return [this] { say(text::kConnected); };
        // Why, port by port, so that the operator (or support on the phone)
        // can act on it.
        const std::string why = connectFailureText(lastConnectReport());
        return [this, why] { say(why); };
    });
}

void KestrixController::disconnect()
{
    if (busy_)
        return;
    if (KX_Close() == 0)
        say(text::kDisconnectFailed);
}

} // namespace kestrix
