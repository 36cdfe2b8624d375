#include "local/zip_jobs/zip_thread.h"

#include "local/zip_jobs/pack_job.h"
#include "local/zip_jobs/unpack_job.h"
#include "platform/message_service.h"

ZipThread::ZipThread(ZipJob job, ZipJobHost& host)
    : job_(std::move(job)), host_(host), packing_(job_.JobKind == ZipJob::Kind::Pack),
      thread_([this] { Execute(); }) {}

ZipThread::~ZipThread() {
    stop();
}

void ZipThread::cancel() {
    if (packing_)
        control_.requestStop();
}

void ZipThread::stop() {
    control_.requestStop();
    join();
}

void ZipThread::join() {
    if (thread_.joinable())
        thread_.join();
}

void ZipThread::Execute() {
    try {
        if (job_.JobKind == ZipJob::Kind::Pack)
            runPack(job_, host_, control_);
        else
            runUnpack(job_, host_, control_);
    } catch (const std::exception& failure) {
        host_.messages().show({"Tarvo Manager",
                               std::string("App error in ZipThread::Execute\n") + failure.what(),
                               MessageButton::Ok, MessageIcon::Error});
    }
    // The end steps of every job, however it ended.
    host_.setZipState(-1);
    packing_ = false;
    busy_ = false;
    host_.zipJobEnded();
}
