# Shared by the FTP comparison scripts (sourced): the bench user, and vsftpd serving
# $WORK/home to it on 127.0.0.1:$PORT until the script ends; VSFTPD_EXTRA adds lines to its
# configuration. Needs root.
BENCH_USER=tarvobench
BENCH_PASS=Tarvo-Bench-1

bench_user() {
    id "$BENCH_USER" >/dev/null 2>&1 || useradd -M -s /bin/sh -d / "$BENCH_USER"
    echo "$BENCH_USER:$BENCH_PASS" | chpasswd
}

start_vsftpd() {
    mkdir -p "$WORK/empty"
    cat > "$WORK/vsftpd.conf" <<CONF
listen=YES
listen_address=127.0.0.1
listen_port=$PORT
background=NO
anonymous_enable=NO
local_enable=YES
write_enable=YES
local_umask=022
local_root=$WORK/home
chroot_local_user=YES
allow_writeable_chroot=YES
secure_chroot_dir=$WORK/empty
seccomp_sandbox=NO
pam_service_name=vsftpd
check_shell=NO
xferlog_enable=NO
${VSFTPD_EXTRA:-}
CONF
    /usr/sbin/vsftpd "$WORK/vsftpd.conf" &
    VSFTPD=$!
    trap 'kill $VSFTPD' EXIT
    sleep 0.5
}
