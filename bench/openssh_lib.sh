# Shared by the benchmark scripts that need a real tester-like server: sourced after `work` is set (see
# sim_lib.sh). start_openssh_tester ROOT serves ROOT (a tester's file system as `kestrix sim` stocks it) through
# OpenSSH's sshd on 127.0.0.1 and sets $address (127.0.0.1:PORT) and $sshd_pid; stop_openssh_tester ends it.
#
# sshd runs as root inside its own mount namespace (unshare -m, private mounts), chrooted into a root made of
# bind mounts of this machine's folders plus private ones: the tester's /microsd_userdata (ROOT's), /tmp, /run,
# /var/log and /home, and /etc/passwd, /etc/shadow and /etc/group with the user "tvuser" added, whose login shell
# is BusyBox's ash, as on a tester. Nothing outside the namespace changes: no account, no login record, no
# service. Needs root, openssh-server and busybox (scripts/bootstrap installs both).
sshd_pid=

stop_openssh_tester() {
    [ -n "$sshd_pid" ] && kill "$sshd_pid" 2>/dev/null && wait "$sshd_pid" 2>/dev/null || true
    sshd_pid=
}

start_openssh_tester() {
    local root
    root=$(realpath "$1")
    [ "$(id -u)" -eq 0 ] || { echo "the OpenSSH benchmark needs root (sshd, mounts)" >&2; exit 1; }
    command -v sshd >/dev/null || [ -x /usr/sbin/sshd ] || { echo "no sshd: run scripts/bootstrap" >&2; exit 1; }
    command -v busybox >/dev/null || { echo "no busybox: run scripts/bootstrap" >&2; exit 1; }
    local conf="$work/sshd"
    mkdir -p "$conf" "$work/newroot"
    ssh-keygen -q -t ed25519 -N '' -f "$conf/host_key"
    # A port nothing listens on.
    local port
    while :; do
        port=$((20000 + RANDOM % 40000))
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || break
    done
    cat >"$conf/sshd_config" <<CONF
Port $port
ListenAddress 127.0.0.1
HostKey /kestrix-sshd/host_key
PidFile none
UsePAM no
PasswordAuthentication yes
KbdInteractiveAuthentication no
PubkeyAuthentication no
AuthorizedKeysFile none
PermitRootLogin no
AllowUsers tvuser
StrictModes no
UseDNS no
PrintMotd no
PrintLastLog no
MaxSessions 10
MaxStartups 100
LogLevel ERROR
CONF
    # The tester's own answer to "sysinfo", and the account: the service password, ash as the login shell.
    cat >"$conf/sysinfo.json" <<'JSON'
{"instruments":[{"config":"main","model":"Tarvel","serial_number":"KX7000001","last_update":"3.2.1",
"components":{"hw_modules":[{"model":"310","serial_number":"M0000001"}],"data":[],"sw":[]}}]}
JSON
    printf '#!/bin/sh\ncat /kestrix-sshd/sysinfo.json\n' >"$conf/sysinfo"
    chmod 755 "$conf/sysinfo"
    local hash
    hash=$(perl -e 'print crypt("qvrt47", q($6$kestrixbench$))')
    cp /etc/passwd "$conf/passwd"
    cp /etc/group "$conf/group"
    echo "tvuser:x:4711:4711:tester:/home/tvuser:/kestrix-sshd/bin/ash" >>"$conf/passwd"
    echo "tvuser:x:4711:" >>"$conf/group"
    # Only this account has a password inside: the machine's own shadow file is not copied.
    echo "tvuser:$hash:19000:0:99999:7:::" >"$conf/shadow"
    chmod 600 "$conf/shadow"
    mkdir -p "$conf/bin"
    ln -s /usr/bin/busybox "$conf/bin/ash"

    local newroot="$work/newroot"
    unshare -m --propagation private bash -euc '
        r=$1 conf=$2 data=$3
        mount -t tmpfs -o mode=755 kestrix-root "$r"
        for e in /*; do
            name=${e#/}
            case "$name" in tmp|run|home|microsd_userdata|kestrix-sshd) continue ;; esac
            if [ -L "$e" ]; then cp -P "$e" "$r/$name"
            elif [ -d "$e" ]; then mkdir "$r/$name"; mount --rbind "$e" "$r/$name"
            fi
        done
        for d in tmp run home var/log microsd_userdata kestrix-sshd; do mkdir -p "$r/$d"; done
        mount -t tmpfs -o mode=1777 tester-tmp "$r/tmp"
        mount -t tmpfs -o mode=755 tester-run "$r/run"
        mkdir -m 755 "$r/run/sshd"
        mount -t tmpfs -o mode=755 tester-log "$r/var/log"
        mount -t tmpfs -o mode=755 tester-home "$r/home"
        mkdir -m 700 "$r/home/tvuser"
        chown 4711:4711 "$r/home/tvuser"
        mount --bind "$data/microsd_userdata" "$r/microsd_userdata"
        mount --bind "$conf" "$r/kestrix-sshd"
        for f in passwd group shadow; do mount --bind "$conf/$f" "$r/etc/$f"; done
        mount -t tmpfs -o mode=755 tester-bin "$r/usr/local/bin"
        cp "$conf/sysinfo" "$r/usr/local/bin/sysinfo"
        exec chroot "$r" /usr/sbin/sshd -D -e -f /kestrix-sshd/sshd_config
    ' kestrix-sshd "$newroot" "$conf" "$root" 2>"$work/sshd.log" &
    sshd_pid=$!
    for _ in $(seq 1 100); do
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
        kill -0 "$sshd_pid" 2>/dev/null || { echo "sshd did not start:" >&2; cat "$work/sshd.log" >&2; exit 1; }
        sleep 0.1
    done
    address="127.0.0.1:$port"
}
