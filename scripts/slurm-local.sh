#!/usr/bin/env bash
# A one-node Slurm cluster on this machine, for trying and testing batches sent to Slurm.
#
#   scripts/slurm-local.sh start   start munged, slurmctld and slurmd; print the SLURM_CONF line
#   scripts/slurm-local.sh stop    stop them and remove the folder
#   scripts/slurm-local.sh env     print the SLURM_CONF line of a running cluster
#
# Everything lives in one folder ($QUILLON_SLURM_DIR, default /tmp/quillon-slurm-$UID): the
# configuration, the munge key and socket, state, spool and logs. Nothing under /etc is
# touched. Clients find the cluster through SLURM_CONF=<folder>/slurm.conf.
set -euo pipefail

dir="${QUILLON_SLURM_DIR:-/tmp/quillon-slurm-$(id -u)}"
conf="$dir/slurm.conf"

need() {
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null 2>&1 && [ ! -x "/usr/sbin/$tool" ]; then
      echo "slurm-local: $tool is missing (make deps installs slurm-wlm and munge)" >&2
      exit 1
    fi
  done
}

pid_alive() { [ -f "$1" ] && kill -0 "$(cat "$1")" 2>/dev/null; }

stop() {
  for daemon in slurmd slurmctld munged; do
    if pid_alive "$dir/$daemon.pid"; then
      kill "$(cat "$dir/$daemon.pid")" 2>/dev/null || true
      for _ in $(seq 50); do pid_alive "$dir/$daemon.pid" || break; sleep 0.1; done
      pid_alive "$dir/$daemon.pid" && kill -9 "$(cat "$dir/$daemon.pid")" 2>/dev/null || true
    fi
  done
  rm -rf "$dir"
}

# A free TCP port from the kernel's ephemeral range.
free_port() {
  python3 - <<'PY'
import socket
s = socket.socket()
s.bind(("127.0.0.1", 0))
print(s.getsockname()[1])
s.close()
PY
}

start() {
  need munged mungekey slurmctld slurmd sinfo
  if pid_alive "$dir/slurmctld.pid"; then
    echo "export SLURM_CONF=$conf"
    return 0
  fi
  stop
  mkdir -p "$dir"/{state,spool,munge,log}
  chmod 700 "$dir" "$dir/munge"
  local user node cpus memory
  user="$(id -un)"
  node="$(hostname -s)"
  cpus="$(nproc)"
  memory="$(awk '/MemTotal/ { print int($2 / 1024) }' /proc/meminfo)"

  /usr/sbin/mungekey --create --keyfile="$dir/munge/munge.key" --force >/dev/null
  chmod 600 "$dir/munge/munge.key"
  /usr/sbin/munged --key-file="$dir/munge/munge.key" --socket="$dir/munge/socket" \
    --pid-file="$dir/munged.pid" --log-file="$dir/log/munged.log" \
    --seed-file="$dir/munge/seed" --force

  cat >"$conf" <<CONF
ClusterName=quillon
SlurmctldHost=$node(127.0.0.1)
SlurmctldPort=$(free_port)
SlurmdPort=$(free_port)
SlurmUser=$user
SlurmdUser=$user
AuthType=auth/munge
AuthInfo=socket=$dir/munge/socket
CredType=cred/munge
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/slurmctld.pid
SlurmdPidFile=$dir/slurmd.pid
SlurmctldLogFile=$dir/log/slurmctld.log
SlurmdLogFile=$dir/log/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SwitchType=switch/none
MpiDefault=none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
ReturnToService=2
SchedulerType=sched/backfill
MinJobAge=300
NodeName=$node NodeAddr=127.0.0.1 CPUs=$cpus RealMemory=$memory State=UNKNOWN
PartitionName=local Nodes=$node Default=YES MaxTime=INFINITE State=UP
CONF

  export SLURM_CONF="$conf"
  /usr/sbin/slurmctld -f "$conf"
  /usr/sbin/slurmd -f "$conf"
  # Ready when the node takes jobs.
  for _ in $(seq 100); do
    if sinfo -h -o '%t' 2>/dev/null | grep -Eq '^(idle|mix|alloc)'; then
      echo "export SLURM_CONF=$conf"
      return 0
    fi
    sleep 0.2
  done
  echo "slurm-local: the node did not come up; see $dir/log" >&2
  tail -n 20 "$dir"/log/*.log >&2 || true
  exit 1
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  env) pid_alive "$dir/slurmctld.pid" && echo "export SLURM_CONF=$conf" ;;
  *) echo "usage: $0 start|stop|env" >&2; exit 2 ;;
esac
