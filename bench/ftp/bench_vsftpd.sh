# Shared by the FTP comparison scripts (sourced): vsftpd serving $WORK/home on 127.0.0.1:$PORT
# (a free port unless PORT is set) to the bench user until the script ends; VSFTPD_EXTRA adds
# lines to its configuration. The bench user exists only in vsftpd's own view of /etc/passwd and
# /etc/shadow, files of the script's laid over the machine's in a mount namespace of vsftpd's
# own: the machine gains no account. Its sessions run with the ids of $BENCH_OWNER, who must own
# $WORK/home. Needs root.
BENCH_USER=tarvobench
BENCH_PASS=Tarvo-Bench-1
# crypt(3) of BENCH_PASS (openssl passwd -6 -salt tarvobench).
BENCH_HASH='$6$tarvobench$aYQh4rLGkiYejnVNvtMfH/S2arQF3cDQG9ZFUUpIrn9gpcwLL0HK4c2xfQm1Y8RLkwabgNltmhFTvJPgwxcdb0'
BENCH_OWNER=nobody
PORT=${PORT:-$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')}

# vsftpd's user database: the machine's accounts (vsftpd runs parts of itself as nobody) and the
# bench user; nothing else logs in, so the shadow file holds the bench user alone.
bench_user() {
    mkdir -p "$WORK"
    {
        grep -v "^$BENCH_USER:" /etc/passwd
        echo "$BENCH_USER:x:$(id -u "$BENCH_OWNER"):$(id -g "$BENCH_OWNER"):Tarvo benchmarks:/:/bin/sh"
    } > "$WORK/passwd"
    (umask 077 && echo "$BENCH_USER:$BENCH_HASH:19000:0:99999:7:::" > "$WORK/shadow")
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
    # unshare makes the namespace's mounts private: nothing laid over shows outside it.
    unshare --mount sh -c 'mount --bind "$1/passwd" /etc/passwd &&
        mount --bind "$1/shadow" /etc/shadow && exec /usr/sbin/vsftpd "$1/vsftpd.conf"' \
        vsftpd "$WORK" &
    VSFTPD=$!
    trap 'kill $VSFTPD' EXIT
    sleep 0.5
}
