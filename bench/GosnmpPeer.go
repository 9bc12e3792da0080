// gosnmp-peer: the wire sequence of client-list retrievals written with
// gosnmp, one goroutine per access point, as the peer the host is measured
// against. For every address at once: a set of the refresh variable with
// the write community, then one get-next of the six client-table columns
// per row, each followed by a get of the access point's band, until a step
// leaves the table (its band is read too). SNMPv1, "public" for reads and "private" for the set, half the
// budget per attempt and one retry, as the plug-in's defaults go. Prints the
// rows read in all and the seconds from the first request to the last
// answer, as retrieval-floor does.
//
// Usage: gosnmp-peer [-t HUNDREDTHS] PORT ADDRESS...   (-t as krw6180-clients takes it)
package main

import (
	"flag"
	"fmt"
	"os"
	"strconv"
	"strings"
	"sync"
	"sync/atomic"
	"time"

	"github.com/gosnmp/gosnmp"
)

const (
	refresh = ".1.3.6.1.4.1.32473.10.37.37.2.1.3.3.4.1.1.1.1"
	band    = ".1.3.6.1.4.1.32473.10.37.37.2.1.3.3.1.1.1.34.1"
	entry   = ".1.3.6.1.4.1.32473.10.37.37.2.1.3.3.4.2.1"
	columns = 6
)

func firstStep() []string {
	names := make([]string, columns)
	for column := 0; column < columns; column++ {
		names[column] = entry + "." + strconv.Itoa(column+2)
	}
	return names
}

// inFirstColumn: the step's first binding is still a row of the table.
func inFirstColumn(pdu gosnmp.SnmpPDU) bool {
	return pdu.Type != gosnmp.EndOfMibView && strings.HasPrefix(pdu.Name, entry+".2.")
}

// walk reads one access point and returns its rows.
func walk(address string, port uint16, timeout time.Duration) int {
	session := &gosnmp.GoSNMP{Target: address, Port: port, Community: "private", Version: gosnmp.Version1,
		Timeout: timeout, Retries: 1, MaxOids: gosnmp.MaxOids}
	if session.Connect() != nil {
		return 0
	}
	defer session.Conn.Close()
	if _, err := session.Set([]gosnmp.SnmpPDU{{Name: refresh, Type: gosnmp.Integer, Value: 1}}); err != nil {
		return 0
	}
	session.Community = "public"
	rows := 0
	for names := firstStep(); ; {
		step, err := session.GetNext(names)
		if err != nil || step.Error != gosnmp.NoError {
			return rows
		}
		// The band is read after every step, the one past the table's end too.
		if _, err := session.Get([]string{band}); err != nil {
			return rows
		}
		if len(step.Variables) == 0 || !inFirstColumn(step.Variables[0]) {
			return rows
		}
		rows++
		names = names[:0]
		for _, binding := range step.Variables {
			names = append(names, binding.Name)
		}
	}
}

func main() {
	budget := flag.Int("t", 200, "time budget of one request in hundredths of a second")
	flag.Parse()
	if flag.NArg() < 2 {
		fmt.Fprintln(os.Stderr, "usage: gosnmp-peer [-t HUNDREDTHS] PORT ADDRESS...")
		os.Exit(2)
	}
	port, err := strconv.ParseUint(flag.Arg(0), 10, 16)
	if err != nil {
		fmt.Fprintln(os.Stderr, "gosnmp-peer: not a port:", flag.Arg(0))
		os.Exit(2)
	}
	timeout := time.Duration(*budget) * 5 * time.Millisecond
	var rows int64
	var done sync.WaitGroup
	start := time.Now()
	for _, address := range flag.Args()[1:] {
		done.Add(1)
		go func(address string) {
			defer done.Done()
			atomic.AddInt64(&rows, int64(walk(address, uint16(port), timeout)))
		}(address)
	}
	done.Wait()
	fmt.Printf("%d %.6f\n", rows, time.Since(start).Seconds())
}
