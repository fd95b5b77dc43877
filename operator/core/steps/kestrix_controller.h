// SPDX-License-Identifier: MIT
// The operator's steps: what each button, Esc and the close box do, with
// their checks, messages and downloads, for any front end. The front end is
// a View and a Toolkit; the reader is reached through Kestlink. Every
// transaction runs on a worker thread, one at a time, while the view is
// busy; what it brings back reaches the view on the user-interface thread,
// through Toolkit::post. Every member is called on the user-interface thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "compare_table.h"
#include "fields.h"
#include "record_list.h"
#include "toolkit.h"
#include "view.h"
#include "worker_thread.h"

namespace kestrix {

struct DownloadPlan; // download.h

class KestrixController {
public:
    KestrixController(View &view, Toolkit &toolkit, CompareTable &compareTable);
    // Stops a download and waits for the transaction in hand.
    ~KestrixController();
    KestrixController(const KestrixController &) = delete;
    KestrixController &operator=(const KestrixController &) = delete;

    // The buttons.
    void closeChecked();        // 关闭软件: checks the fields, then closes
    void connect();             // 连接设备
    void disconnect();          // 断开连接
    void queryCount();          // 查询数目
    void readAll();             // 读取数据
    void readOne();             // 单条读取
    void readRange();           // 读取范围内记录
    void setTime();             // 设置时间
    void deleteAll();           // 删除数据
    void clearList();           // 清除显示
    void saveFile();            // 保存文件
    void removeDuplicates();    // 删除重号
    void openCompareFile();     // 打开对比文件
    void downloadCompareList(); // 下载对比文件
    void deleteCompareList();   // 删除对比文件
    // The button with this control identifier (control_ids.h) pressed, as
    // each front end routes its clicks; the hidden key buttons and any other
    // identifier do nothing.
    void press(int controlId);

    // Esc and the window's close box: a download stops after the record in
    // hand, and says so; otherwise the dialog closes, without the checks of
    // 关闭软件. While another transaction runs they do nothing.
    void escape();
    // The desktop session ends: a download stops after the transaction in
    // hand, which is waited for; nothing more is shown.
    void shutdown();

    // Rows put in the list without the reader, as if downloaded: for
    // measuring the dialog with a long list already in it.
    void showRows(std::vector<RowTexts> rows);

    bool busy() const { return busy_; }
    bool downloading() const { return downloading_; }
    const RecordList &records() const { return records_; }
    const DialogFields &fields() const { return fields_; }
    CompareTable &compareTable() const { return compareTable_; }

private:
    using Step = std::function<void()>;

    // Runs job on the worker while the view is busy; then, on the
    // user-interface thread, the step it returns, after which the view is
    // idle again unless that step started more work.
    void work(std::function<Step()> job);
    void beginWork();
    // Runs a step that ends a piece of work, on the user-interface thread.
    void finish(const Step &step);
    void post(Step step);
    void runDownload(DownloadPlan download);
    void say(const std::string &text, MessageIcon icon = MessageIcon::None);
    bool fetch();
    void appendRow(RowTexts row);
    // Asks the reader for its count on the worker; then, on the
    // user-interface thread, `then` with what came.
    void askCount(std::function<void(bool counted, std::uint16_t count)> then);
    // After the count a download starts with: false, having said why, when
    // there is nothing to download.
    bool countAllows(bool counted, std::uint16_t count);
    void startRange(std::uint16_t count);

    View &view_;
    Toolkit &toolkit_;
    CompareTable &compareTable_;
    RecordList records_;
    DialogFields fields_;
    bool busy_ = false;
    bool downloading_ = false;
    bool continued_ = false; // the step in hand started more work
    std::atomic<bool> stopRequested_{false};
    // Tasks posted back check this first: once the controller is gone, what
    // is still queued for it does nothing.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::optional<WorkerThread> worker_;
};

} // namespace kestrix
